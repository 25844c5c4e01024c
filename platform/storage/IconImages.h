#ifndef PLATFORM_ICON_IMAGES_H
#define PLATFORM_ICON_IMAGES_H

#include <SupportDefs.h>

#include <string>
#include <vector>

namespace platform {

// Loads an image file (any format gdk-pixbuf reads: PNG, SVG through its loader, XPM …) as a
// size * size icon reduced to the colour map: scaled to fit with its proportions kept,
// centred, transparent around it. A file that is not a regular file, too large, of
// absurd dimensions or that does not decode fails, and pixels are left as they were.
status_t LoadIconImage(const std::string& path, int size, uint8* pixels);

// The same image at full colour: size * size pixels, 0xAARRGGBB with straight alpha, rows
// packed, transparent around the image.
status_t RenderIconImage(const std::string& path, int size, std::vector<uint32>* argb);

}  // namespace platform

#endif
