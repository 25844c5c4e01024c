#include "interface/ColorMapping.h"

namespace platform {

uint8 IndexForRGB(uint8 red, uint8 green, uint8 blue)
{
	int rgb15 = ((red >> 3) << 10) | ((green >> 3) << 5) | (blue >> 3);
	return system_colors()->inversion_map[rgb15];
}

uint8 IndexForARGB(uint32 argb)
{
	if ((argb >> 24) < 128)
		return B_TRANSPARENT_8_BIT;
	return IndexForRGB(uint8(argb >> 16), uint8(argb >> 8), uint8(argb));
}

void ReduceARGB(const uint32* source, uint8* destination, size_t count)
{
	for (size_t i = 0; i < count; i++)
		destination[i] = IndexForARGB(source[i]);
}

uint32 ARGBForIndex(uint8 index)
{
	if (index == B_TRANSPARENT_8_BIT)
		return 0;
	const rgb_color& color = system_colors()->color_list[index];
	return 0xFF000000u | (uint32(color.red) << 16) | (uint32(color.green) << 8)
		| uint32(color.blue);
}

}  // namespace platform
