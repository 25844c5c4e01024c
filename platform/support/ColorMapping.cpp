#include "support/ColorMapping.h"

#include <limits.h>

// The system colour map. Every entry but the transparent one is a colour that 15-bit RGB
// holds exactly (each channel an 8-bit widening of a 5-bit level), so reducing a colour of
// the map through the inversion table always lands on that colour again.
//
//   0 ..  31  greys: every 5-bit level from black (0) to white (31)
//  32 .. 247  a 6 x 6 x 6 colour cube, levels 0, 49, 99, 156, 206, 255;
//             index = 32 + 36 * red + 6 * green + blue (each 0..5)
// 248 .. 254  icon colours: folder light, folder, folder shadow, paper, paper shadow,
//             link blue, executable green
//       255   transparent; never chosen by the inversion table

namespace platform {

namespace {

const int kCubeStart = 32;
const int kIconColorsStart = 248;

struct ColorTable {
	uint32 argb[256];  // 0xFFRRGGBB, 0 for the transparent index
	uint8 inversion[1 << 15];  // 15-bit RGB (5 bits of each, red highest) to the nearest index
};

uint8 Widen5(int level)
{
	return uint8((level << 3) | (level >> 2));
}

const uint8 kCubeLevels[6] = {0, 6, 12, 19, 25, 31};

// 5-bit levels of red, green and blue.
const uint8 kIconColors[7][3] = {
	{31, 27, 12},  // folder light
	{31, 24, 6},  // folder
	{25, 18, 0},  // folder shadow
	{31, 31, 28},  // paper
	{27, 27, 25},  // paper shadow
	{7, 14, 27},  // link blue
	{5, 20, 9},  // executable green
};

uint32 Opaque(uint8 red, uint8 green, uint8 blue)
{
	return 0xFF000000u | (uint32(red) << 16) | (uint32(green) << 8) | uint32(blue);
}

void FillColors(uint32* argb)
{
	for (int i = 0; i < kCubeStart; i++)
		argb[i] = Opaque(Widen5(i), Widen5(i), Widen5(i));
	for (int r = 0; r < 6; r++) {
		for (int g = 0; g < 6; g++) {
			for (int b = 0; b < 6; b++) {
				argb[kCubeStart + 36 * r + 6 * g + b] =
					Opaque(Widen5(kCubeLevels[r]), Widen5(kCubeLevels[g]), Widen5(kCubeLevels[b]));
			}
		}
	}
	for (int i = 0; i < 7; i++) {
		argb[kIconColorsStart + i] =
			Opaque(Widen5(kIconColors[i][0]), Widen5(kIconColors[i][1]), Widen5(kIconColors[i][2]));
	}
	argb[kTransparentIndex] = 0;
}

// The nearest opaque entry by squared distance; ties go to the lower index.
uint8 NearestIndex(const uint32* argb, int red, int green, int blue)
{
	int best = 0;
	int bestDistance = INT_MAX;
	for (int i = 0; i < kTransparentIndex; i++) {
		int dr = int((argb[i] >> 16) & 0xFF) - red;
		int dg = int((argb[i] >> 8) & 0xFF) - green;
		int db = int(argb[i] & 0xFF) - blue;
		int distance = dr * dr + dg * dg + db * db;
		if (distance < bestDistance) {
			best = i;
			bestDistance = distance;
			if (distance == 0)
				break;
		}
	}
	return uint8(best);
}

const ColorTable& Table()
{
	// Built once, on first use; the language makes the first call thread-safe.
	static const ColorTable* table = [] {
		static ColorTable built;
		FillColors(built.argb);
		for (int rgb15 = 0; rgb15 < (1 << 15); rgb15++) {
			built.inversion[rgb15] = NearestIndex(built.argb, Widen5((rgb15 >> 10) & 31),
				Widen5((rgb15 >> 5) & 31), Widen5(rgb15 & 31));
		}
		return &built;
	}();
	return *table;
}

}  // namespace

uint8 IndexForRGB(uint8 red, uint8 green, uint8 blue)
{
	int rgb15 = ((red >> 3) << 10) | ((green >> 3) << 5) | (blue >> 3);
	return Table().inversion[rgb15];
}

uint8 IndexForARGB(uint32 argb)
{
	if ((argb >> 24) < 128)
		return kTransparentIndex;
	return IndexForRGB(uint8(argb >> 16), uint8(argb >> 8), uint8(argb));
}

void ReduceARGB(const uint32* source, uint8* destination, size_t count)
{
	for (size_t i = 0; i < count; i++)
		destination[i] = IndexForARGB(source[i]);
}

uint32 ARGBForIndex(uint8 index)
{
	return Table().argb[index];
}

}  // namespace platform
