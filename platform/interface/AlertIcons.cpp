#include "interface/AlertIcons.h"

#include <GraphicsDefs.h>

#include <string.h>

namespace platform {

namespace {

// A speech bubble with an "i", casting a shadow to the lower right. One character per
// pixel; see PixelIndex for the colours.
const char* const kInfoArt[kAlertIconSize] = {
	"                                ",
	"          ##########            ",
	"        ##..........##          ",
	"       #..............#         ",
	"      #......#####.....#        ",
	"     #.......#bbb#......#       ",
	"    #........#bbb#.......#      ",
	"    #........#bbb#.......#s     ",
	"   #.........#####........#s    ",
	"   #......................#s    ",
	"   #.........#####........#s    ",
	"   #.........#bbb#........#ss   ",
	"   #.........#bbb#........#ss   ",
	"   #.........#bbb#........#ss   ",
	"   #.........#bbb#........#ss   ",
	"   #.........#bbb#.......o#ss   ",
	"    #........#bbb#.......#ss    ",
	"    #.....###########...o#ss    ",
	"     #....#bbbbbbbbb#..o#ss     ",
	"     #....###########.o#sss     ",
	"      #..............o#sss      ",
	"       ##......oooo##sss        ",
	"        #..#########sss         ",
	"       #..#sssssssss            ",
	"       #.#ss                    ",
	"      #.#ss                     ",
	"      ##ss                      ",
	"     ##ss                       ",
	"     #ss                        ",
	"      s                         ",
	"                                ",
	"                                ",
};

// Indices of the system colour map: greys 0 (black) to 31 (white), then the colour cube
// from 32 (32 + 36 red + 6 green + blue, each level 0..5).
uint8 PixelIndex(char pixel)
{
	switch (pixel) {
		case '#':
			return 0;  // outline
		case '.':
			return 31;  // the bubble, white
		case 'o':
			return 26;  // the bubble's shaded rim
		case 's':
			return 18;  // shadow
		case 'b':
			return 32 + 6 * 2 + 5;  // the letter, blue
		default:
			return B_TRANSPARENT_MAGIC_CMAP8;
	}
}

struct InfoIcon {
	uint8 bits[kAlertIconSize * kAlertIconSize];

	InfoIcon()
	{
		for (int32 y = 0; y < kAlertIconSize; y++) {
			size_t length = strlen(kInfoArt[y]);
			for (int32 x = 0; x < kAlertIconSize; x++) {
				char pixel = size_t(x) < length ? kInfoArt[y][x] : ' ';
				bits[y * kAlertIconSize + x] = PixelIndex(pixel);
			}
		}
	}
};

}  // namespace

const uint8* AlertIconBits(alert_type type)
{
	if (type == B_EMPTY_ALERT)
		return NULL;
	static const InfoIcon icon;
	return icon.bits;
}

}  // namespace platform
