#ifndef PLATFORM_COLOR_MAPPING_H
#define PLATFORM_COLOR_MAPPING_H

#include <SupportDefs.h>

#include <stddef.h>

namespace platform {

// The system colour map, here below the kits that use it: the interface kit hands it out as
// system_colors(), the storage kit reduces icons to it and the desktop draws them from it.

// The index of a transparent pixel, the interface kit's B_TRANSPARENT_8_BIT.
const uint8 kTransparentIndex = 255;

// The colour map index nearest to an opaque colour; never kTransparentIndex.
uint8 IndexForRGB(uint8 red, uint8 green, uint8 blue);

// A 0xAARRGGBB pixel to an index: alpha below 128 is kTransparentIndex, anything else the
// nearest colour.
uint8 IndexForARGB(uint32 argb);

// Reduces count 0xAARRGGBB pixels to indices.
void ReduceARGB(const uint32* source, uint8* destination, size_t count);

// An index to 0xFFRRGGBB; kTransparentIndex gives 0 (transparent black).
uint32 ARGBForIndex(uint8 index);

}  // namespace platform

#endif
