#include <GraphicsDefs.h>

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
//       255   transparent (B_TRANSPARENT_8_BIT), B_TRANSPARENT_COLOR; never chosen by the
//             inversion table

namespace {

const int kCubeStart = 32;
const int kIconColorsStart = 248;

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

rgb_color Opaque(uint8 red, uint8 green, uint8 blue)
{
	return rgb_color{red, green, blue, 255};
}

void FillColorList(rgb_color* list)
{
	for (int i = 0; i < kCubeStart; i++)
		list[i] = Opaque(Widen5(i), Widen5(i), Widen5(i));
	for (int r = 0; r < 6; r++) {
		for (int g = 0; g < 6; g++) {
			for (int b = 0; b < 6; b++) {
				list[kCubeStart + 36 * r + 6 * g + b] =
					Opaque(Widen5(kCubeLevels[r]), Widen5(kCubeLevels[g]), Widen5(kCubeLevels[b]));
			}
		}
	}
	for (int i = 0; i < 7; i++) {
		list[kIconColorsStart + i] =
			Opaque(Widen5(kIconColors[i][0]), Widen5(kIconColors[i][1]), Widen5(kIconColors[i][2]));
	}
	list[B_TRANSPARENT_MAGIC_CMAP8] = B_TRANSPARENT_COLOR;
}

// The nearest opaque entry by squared distance; ties go to the lower index.
uint8 NearestIndex(const rgb_color* list, int red, int green, int blue)
{
	int best = 0;
	int bestDistance = INT_MAX;
	for (int i = 0; i < B_TRANSPARENT_MAGIC_CMAP8; i++) {
		int dr = list[i].red - red;
		int dg = list[i].green - green;
		int db = list[i].blue - blue;
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

void FillInversion(color_map* map)
{
	for (int rgb15 = 0; rgb15 < (1 << 15); rgb15++) {
		uint8 index = NearestIndex(map->color_list, Widen5((rgb15 >> 10) & 31),
			Widen5((rgb15 >> 5) & 31), Widen5(rgb15 & 31));
		map->inversion_map[rgb15] = index;
		map->index_map[rgb15] = index;
	}
}

color_map* BuildSystemColors()
{
	static color_map map;
	map.id = 0;
	FillColorList(map.color_list);
	FillInversion(&map);
	return &map;
}

}  // namespace

const color_map* system_colors()
{
	// Built once, on first use; the language makes the first call thread-safe.
	static const color_map* map = BuildSystemColors();
	return map;
}
