#ifndef PLATFORM_PLAIN_FONT_H
#define PLATFORM_PLAIN_FONT_H

#include <Font.h>
#include <GraphicsDefs.h>

namespace platform {

// A rectangle of whole pixels, edges included; empty when left > right or top > bottom.
struct PixelBox {
	int32 left;
	int32 top;
	int32 right;
	int32 bottom;

	bool IsEmpty() const { return left > right || top > bottom; }
};

// The default plain font: a sans face found through fontconfig, sized so that its ascent is
// 10 pixels, with grey antialiasing, slight hinting and hinted (whole-pixel) metrics, so
// that the same text always gives the same pixels and the same width. Measuring and drawing
// use the very same Pango context, behind one lock, so any thread may call.
class PlainFont {
public:
	static PlainFont& Default();

	// length < 0: up to the NUL; otherwise at most length bytes, stopping at a NUL.
	float StringWidth(const char* text, int32 length);
	void GetHeight(font_height* height) const { *height = fHeight; }

	// Draws text with the left end of its baseline on pixel (x, baseline) of a 0xAARRGGBB
	// buffer, painting only inside clip (which must lie inside the buffer).
	void Draw(uint32* pixels, int32 width, int32 height, const PixelBox& clip, int32 x,
		int32 baseline, const char* text, int32 length, rgb_color color);

private:
	PlainFont();
	PlainFont(const PlainFont&) = delete;
	PlainFont& operator=(const PlainFont&) = delete;

	struct State;
	State* fState;
	font_height fHeight;
};

}  // namespace platform

#endif
