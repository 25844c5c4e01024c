#ifndef PLATFORM_ICON_IMAGES_H
#define PLATFORM_ICON_IMAGES_H

#include <SupportDefs.h>

#include <string>

namespace platform {

// Loads an image file (any format gdk-pixbuf reads: PNG, SVG through its loader, XPM …) as a
// size * size icon reduced to the colour map: scaled to fit with its proportions kept,
// centred, transparent around it. A file that is not a regular file, too large, of
// absurd dimensions or that does not decode fails, and pixels are left as they were.
status_t LoadIconImage(const std::string& path, int size, uint8* pixels);

// A size * size colour-mapped icon as an indexed PNG whose palette is the colour map, with
// index 255 transparent, each pixel a scale * scale block (no smoothing), carrying the text
// software in its Software text chunk.
status_t EncodeIconPng(const uint8* pixels, int size, int scale, const char* software,
	std::string* png);

}  // namespace platform

#endif
