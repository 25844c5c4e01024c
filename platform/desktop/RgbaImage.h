#ifndef PLATFORM_DESKTOP_RGBA_IMAGE_H
#define PLATFORM_DESKTOP_RGBA_IMAGE_H

#include <SupportDefs.h>

#include <string>
#include <utility>
#include <vector>

namespace platform {

// A square full-colour image, pixels 0xAARRGGBB with straight alpha, rows packed: what the
// desktop draws a folder's icon into and writes as PNG.
class RgbaImage {
public:
	explicit RgbaImage(int size = 0);

	// An image file drawn at size (see RenderIconImage).
	static status_t FromFile(const std::string& path, int size, RgbaImage* image);
	// Colour-mapped pixels, each one a scale * scale block: no smoothing.
	static RgbaImage FromIndices(const uint8* pixels, int size, int scale);
	// A PNG of exactly size * size pixels.
	static status_t FromPng(const std::string& png, int size, RgbaImage* image);

	// Draws top over this image with its left, top corner at x, y ("over" compositing).
	void DrawOver(const RgbaImage& top, int x, int y);

	// An 8-bit RGBA PNG, carrying the texts (keyword, text) as tEXt chunks.
	status_t EncodePng(
		const std::vector<std::pair<std::string, std::string>>& texts, std::string* png) const;

private:
	int fSize;
	std::vector<uint32> fPixels;
};

}  // namespace platform

#endif
