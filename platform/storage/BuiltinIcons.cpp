#include "storage/BuiltinIcons.h"

#include <GraphicsDefs.h>

#include <string.h>
#include <strings.h>

#include "storage/TypeIconSource.h"

namespace platform {

namespace {

// The icons as pictures, one character a pixel, turned into colour map indices once.
//   .  transparent (B_TRANSPARENT_8_BIT)      #  outline, black (0)
//   W  white (31)                             d  dark grey (12)
//   y  folder light (248)                     Y  folder (249)
//   o  folder shadow (250)                    w  paper (251)
//   s  paper shadow (252)                     b  link blue (253)
//   g  executable green (254)

constexpr uint8 IndexFor(char c)
{
	switch (c) {
		case '#':
			return 0;
		case 'W':
			return 31;
		case 'd':
			return 12;
		case 'y':
			return 248;
		case 'Y':
			return 249;
		case 'o':
			return 250;
		case 'w':
			return 251;
		case 's':
			return 252;
		case 'b':
			return 253;
		case 'g':
			return 254;
		default:
			return B_TRANSPARENT_MAGIC_CMAP8;
	}
}

constexpr bool IsLegendChar(char c)
{
	return c == '.' || IndexFor(c) != B_TRANSPARENT_MAGIC_CMAP8;
}

template<int N>
constexpr bool IsSquareArt(const char* const (&rows)[N])
{
	for (int y = 0; y < N; y++) {
		int x = 0;
		for (; rows[y][x] != '\0'; x++) {
			if (!IsLegendChar(rows[y][x]))
				return false;
		}
		if (x != N)
			return false;
	}
	return true;
}

constexpr const char* kFolder32[] = {
	"................................",
	"................................",
	"................................",
	"................................",
	"...############.................",
	"..#yyyyyyyyyyy#.................",
	".###############################",
	".#yyyyyyyyyyyyyyyyyyyyyyyyyyyyy#",
	".#yyyyyyyyyyyyyyyyyyyyyyyyyyyyy#",
	".###############################",
	".#YYYYYYYYYYYYYYYYYYYYYYYYYYYYo#",
	".#YYYYYYYYYYYYYYYYYYYYYYYYYYYYo#",
	".#YYYYYYYYYYYYYYYYYYYYYYYYYYYYo#",
	".#YYYYYYYYYYYYYYYYYYYYYYYYYYYYo#",
	".#YYYYYYYYYYYYYYYYYYYYYYYYYYYYo#",
	".#YYYYYYYYYYYYYYYYYYYYYYYYYYYYo#",
	".#YYYYYYYYYYYYYYYYYYYYYYYYYYYYo#",
	".#YYYYYYYYYYYYYYYYYYYYYYYYYYYYo#",
	".#YYYYYYYYYYYYYYYYYYYYYYYYYYYYo#",
	".#YYYYYYYYYYYYYYYYYYYYYYYYYYYYo#",
	".#YYYYYYYYYYYYYYYYYYYYYYYYYYYYo#",
	".#YYYYYYYYYYYYYYYYYYYYYYYYYYYYo#",
	".#YYYYYYYYYYYYYYYYYYYYYYYYYYYYo#",
	".#YYYYYYYYYYYYYYYYYYYYYYYYYYYYo#",
	".#YYYYYYYYYYYYYYYYYYYYYYYYYYYYo#",
	".#YYYYYYYYYYYYYYYYYYYYYYYYYYYYo#",
	".#ooooooooooooooooooooooooooooo#",
	".###############################",
	"................................",
	"................................",
	"................................",
	"................................",
};

constexpr const char* kFolder16[] = {
	"................",
	"................",
	".######.........",
	"#yyyyyy#........",
	"#yyyyyy#########",
	"#yyyyyyyyyyyyyy#",
	"################",
	"#YYYYYYYYYYYYYo#",
	"#YYYYYYYYYYYYYo#",
	"#YYYYYYYYYYYYYo#",
	"#YYYYYYYYYYYYYo#",
	"#YYYYYYYYYYYYYo#",
	"#oooooooooooooo#",
	"################",
	"................",
	"................",
};

constexpr const char* kDocument32[] = {
	"................................",
	"......###############...........",
	"......#wwwwwwwwwwwww##..........",
	"......#wwwwwwwwwwwww#s#.........",
	"......#wwwwwwwwwwwww#ss#........",
	"......#wwwwwwwwwwwww#sss#.......",
	"......#wwwwwwwwwwwww######......",
	"......#wwwwwwwwwwwwwwwwww#......",
	"......#wwwwwwwwwwwwwwwwww#......",
	"......#wwwwwwwwwwwwwwwwww#......",
	"......#wwddddddddddddddww#......",
	"......#wwwwwwwwwwwwwwwwww#......",
	"......#wwwwwwwwwwwwwwwwww#......",
	"......#wwddddddddddddddww#......",
	"......#wwwwwwwwwwwwwwwwww#......",
	"......#wwwwwwwwwwwwwwwwww#......",
	"......#wwddddddddddddddww#......",
	"......#wwwwwwwwwwwwwwwwww#......",
	"......#wwwwwwwwwwwwwwwwww#......",
	"......#wwddddddddddddddww#......",
	"......#wwwwwwwwwwwwwwwwww#......",
	"......#wwwwwwwwwwwwwwwwww#......",
	"......#wwddddddddddddddww#......",
	"......#wwwwwwwwwwwwwwwwww#......",
	"......#wwwwwwwwwwwwwwwwww#......",
	"......#wwddddddddddddddww#......",
	"......#wwwwwwwwwwwwwwwwww#......",
	"......#wwwwwwwwwwwwwwwwww#......",
	"......#wwwwwwwwwwwwwwwwww#......",
	"......####################......",
	"................................",
	"................................",
};

constexpr const char* kDocument16[] = {
	"...#######......",
	"...#wwwww##.....",
	"...#wwwww#s#....",
	"...#wwwww####...",
	"...#wwwwwwww#...",
	"...#wwwwwwww#...",
	"...#wddddddw#...",
	"...#wwwwwwww#...",
	"...#wddddddw#...",
	"...#wwwwwwww#...",
	"...#wddddddw#...",
	"...#wwwwwwww#...",
	"...#wddddddw#...",
	"...#wwwwwwww#...",
	"...#wwwwwwww#...",
	"...##########...",
};

constexpr const char* kExecutable32[] = {
	"................................",
	"................................",
	"................................",
	"................................",
	"..############################..",
	"..#bbbbbbbbbbbbbbbbbbbbbbbbbb#..",
	"..#bbbbbbbbbbbbbbbbbbbbbbbbbb#..",
	"..############################..",
	"..#gggggggggggggggggggggggggg#..",
	"..#gggggggggggggggggggggggggg#..",
	"..#gggggggggW#ggggggggggggggg#..",
	"..#gggggggggWW#gggggggggggggg#..",
	"..#gggggggggWWW#ggggggggggggg#..",
	"..#gggggggggWWWW#gggggggggggg#..",
	"..#gggggggggWWWWW#ggggggggggg#..",
	"..#gggggggggWWWWWW#gggggggggg#..",
	"..#gggggggggWWWWWWW#ggggggggg#..",
	"..#gggggggggWWWWWWWW#gggggggg#..",
	"..#gggggggggWWWWWWW#ggggggggg#..",
	"..#gggggggggWWWWWW#gggggggggg#..",
	"..#gggggggggWWWWW#ggggggggggg#..",
	"..#gggggggggWWWW#gggggggggggg#..",
	"..#gggggggggWWW#ggggggggggggg#..",
	"..#gggggggggWW#gggggggggggggg#..",
	"..#gggggggggW#ggggggggggggggg#..",
	"..#gggggggggggggggggggggggggg#..",
	"..#gggggggggggggggggggggggggg#..",
	"..############################..",
	"................................",
	"................................",
	"................................",
	"................................",
};

constexpr const char* kExecutable16[] = {
	"................",
	"................",
	".##############.",
	".#bbbbbbbbbbbb#.",
	".##############.",
	".#gggggggggggg#.",
	".#ggggW#gggggg#.",
	".#ggggWW#ggggg#.",
	".#ggggWWW#gggg#.",
	".#ggggWWWW#ggg#.",
	".#ggggWWW#gggg#.",
	".#ggggWW#ggggg#.",
	".#ggggW#gggggg#.",
	".##############.",
	"................",
	"................",
};

constexpr const char* kLink32[] = {
	"................................",
	"................................",
	"................................",
	"...##########################...",
	"...#wwwwwwwwwwwwwwwwwwwwwwww#...",
	"...#wwwwwwwwwwwwwwwwwwwwwwww#...",
	"...#wwwwwwwwwww###########ww#...",
	"...#wwwwwwwwwww#bbbbbbbbb#ww#...",
	"...#wwwwwwwwwww##bbbbbbbb#ww#...",
	"...#wwwwwwwwwwww##bbbbbbb#ww#...",
	"...#wwwwwwwwwwwww##bbbbbb#ww#...",
	"...#wwwwwwwwwwwwww##bbbbb#ww#...",
	"...#wwwwwwwwwwwww##bbbbbb#ww#...",
	"...#wwwwwwwwwwww##bbb#bbb#ww#...",
	"...#wwwwwwwwwww##bbb###bb#ww#...",
	"...#wwwwwwwwww##bbb##w##b#ww#...",
	"...#wwwwwwwww##bbb##www###ww#...",
	"...#wwwwwwww##bbb##wwwwwwwww#...",
	"...#wwwwwww##bbb##wwwwwwwwww#...",
	"...#wwwwww##bbb##wwwwwwwwwww#...",
	"...#wwwww##bbb##wwwwwwwwwwww#...",
	"...#wwww##bbb##wwwwwwwwwwwww#...",
	"...#www##bbb##wwwwwwwwwwwwww#...",
	"...#www#bbb##wwwwwwwwwwwwwww#...",
	"...#www#####wwwwwwwwwwwwwwww#...",
	"...#wwwwwwwwwwwwwwwwwwwwwwww#...",
	"...#wwwwwwwwwwwwwwwwwwwwwwww#...",
	"...#wwwwwwwwwwwwwwwwwwwwwwww#...",
	"...##########################...",
	"................................",
	"................................",
	"................................",
};

constexpr const char* kLink16[] = {
	"................",
	".##############.",
	".#wwwwwwwwwwww#.",
	".#wwww#######w#.",
	".#wwww#bbbbb#w#.",
	".#wwww##bbbb#w#.",
	".#wwwww##bbb#w#.",
	".#wwww##bbbb#w#.",
	".#www##bb##b#w#.",
	".#ww##bb#####w#.",
	".#w##bb##wwwww#.",
	".#w#bb##wwwwww#.",
	".#w####wwwwwww#.",
	".#wwwwwwwwwwww#.",
	".##############.",
	"................",
};

static_assert(IsSquareArt(kFolder32) && IsSquareArt(kFolder16));
static_assert(IsSquareArt(kDocument32) && IsSquareArt(kDocument16));
static_assert(IsSquareArt(kExecutable32) && IsSquareArt(kExecutable16));
static_assert(IsSquareArt(kLink32) && IsSquareArt(kLink16));

const int kIconCount = 4;

struct IconBits {
	uint8 large[kIconCount][32 * 32];
	uint8 mini[kIconCount][16 * 16];
};

template<int N>
void Paint(const char* const (&rows)[N], uint8* pixels)
{
	for (int y = 0; y < N; y++) {
		for (int x = 0; x < N; x++)
			pixels[y * N + x] = IndexFor(rows[y][x]);
	}
}

const IconBits& Icons()
{
	static const IconBits* icons = [] {
		static IconBits bits;
		Paint(kFolder32, bits.large[int(BuiltinIcon::kFolder)]);
		Paint(kFolder16, bits.mini[int(BuiltinIcon::kFolder)]);
		Paint(kDocument32, bits.large[int(BuiltinIcon::kDocument)]);
		Paint(kDocument16, bits.mini[int(BuiltinIcon::kDocument)]);
		Paint(kExecutable32, bits.large[int(BuiltinIcon::kExecutable)]);
		Paint(kExecutable16, bits.mini[int(BuiltinIcon::kExecutable)]);
		Paint(kLink32, bits.large[int(BuiltinIcon::kLink)]);
		Paint(kLink16, bits.mini[int(BuiltinIcon::kLink)]);
		return &bits;
	}();
	return *icons;
}

bool IsOneOf(const char* type, const char* const* types)
{
	for (; *types != NULL; types++) {
		if (strcasecmp(type, *types) == 0)
			return true;
	}
	return false;
}

}  // namespace

const uint8* BuiltinIconBits(BuiltinIcon icon, icon_size size)
{
	int index = int(icon);
	if (index < 0 || index >= kIconCount)
		return NULL;
	if (size == B_LARGE_ICON)
		return Icons().large[index];
	if (size == B_MINI_ICON)
		return Icons().mini[index];
	return NULL;
}

BuiltinIcon BuiltinIconForType(const char* mimeType)
{
	static const char* const kFolders[] = {kFolderMimeType, "inode/directory", NULL};
	static const char* const kLinks[] = {kSymLinkMimeType, "inode/symlink", NULL};
	static const char* const kExecutables[] = {kExecutableMimeType, "application/x-executable",
		"application/x-pie-executable", "application/x-sharedlib",
		"application/x-vnd.Be-executable", NULL};
	if (mimeType == NULL)
		return BuiltinIcon::kDocument;
	if (IsOneOf(mimeType, kFolders))
		return BuiltinIcon::kFolder;
	if (IsOneOf(mimeType, kLinks))
		return BuiltinIcon::kLink;
	if (IsOneOf(mimeType, kExecutables))
		return BuiltinIcon::kExecutable;
	return BuiltinIcon::kDocument;
}

}  // namespace platform
