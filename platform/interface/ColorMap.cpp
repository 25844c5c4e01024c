#include <GraphicsDefs.h>

#include "support/ColorMapping.h"

// The kit's face of the system colour map. The colours and their inversion live in
// support/ColorMapping, which the storage kit and the desktop reach too.

static_assert(B_TRANSPARENT_MAGIC_CMAP8 == platform::kTransparentIndex);

namespace {

color_map* BuildSystemColors()
{
	static color_map map;
	map.id = 0;
	for (int i = 0; i < 256; i++) {
		uint32 argb = platform::ARGBForIndex(uint8(i));
		map.color_list[i] = rgb_color{uint8(argb >> 16), uint8(argb >> 8), uint8(argb), 255};
	}
	map.color_list[B_TRANSPARENT_MAGIC_CMAP8] = B_TRANSPARENT_COLOR;
	for (int rgb15 = 0; rgb15 < (1 << 15); rgb15++) {
		uint8 index = platform::IndexForRGB(uint8(((rgb15 >> 10) & 31) << 3),
			uint8(((rgb15 >> 5) & 31) << 3), uint8((rgb15 & 31) << 3));
		map.inversion_map[rgb15] = index;
		map.index_map[rgb15] = index;
	}
	return &map;
}

}  // namespace

const color_map* system_colors()
{
	// Built once, on first use; the language makes the first call thread-safe.
	static const color_map* map = BuildSystemColors();
	return map;
}
