#ifndef PLATFORM_COLOR_MAPPING_H
#define PLATFORM_COLOR_MAPPING_H

#include <GraphicsDefs.h>

#include <stddef.h>

namespace platform {

// The colour map index nearest to an opaque colour; never B_TRANSPARENT_8_BIT.
uint8 IndexForRGB(uint8 red, uint8 green, uint8 blue);

// A 0xAARRGGBB pixel to an index: alpha below 128 is B_TRANSPARENT_8_BIT, anything else the
// nearest colour.
uint8 IndexForARGB(uint32 argb);

// Reduces count 0xAARRGGBB pixels to indices.
void ReduceARGB(const uint32* source, uint8* destination, size_t count);

// An index to 0xFFRRGGBB; B_TRANSPARENT_8_BIT gives 0 (transparent black).
uint32 ARGBForIndex(uint8 index);

}  // namespace platform

#endif
