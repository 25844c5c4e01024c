#ifndef PLATFORM_PAINTER_H
#define PLATFORM_PAINTER_H

#include <Font.h>
#include <GraphicsDefs.h>
#include <Rect.h>

class BBitmap;

namespace platform {

struct PixelBox;

// Draws into a 32-bit buffer (0xAARRGGBB words, rows from the top, no padding) on the pixel
// grid: integer coordinates are pixel centres and a rectangle covers its right and bottom
// edges. Every operation is clipped to the clip rectangle (in buffer coordinates) and to the
// buffer. The origin is added to every coordinate first, so a view draws in its own
// coordinates. Colours paint opaque (B_OP_COPY): alpha is ignored and stored as 0xFF.
// A fractional coordinate lands on pixel floor(x + 0.5) (2.5 is pixel 3, -0.5 pixel 0), the
// same for every operation; NaN draws nothing, and coordinates far outside are clamped, so
// no value writes outside the buffer.
class Painter {
public:
	Painter(uint32* pixels, int32 width, int32 height);

	void SetOrigin(BPoint origin) { fOrigin = origin; }
	BPoint Origin() const { return fOrigin; }
	void SetClip(BRect clip);  // buffer coordinates, edges included
	BRect Clip() const { return fClip; }

	void FillRect(BRect rect, rgb_color color);
	void StrokeRect(BRect rect, rgb_color color);
	// A one-pixel line from start to end, both end pixels included.
	void StrokeLine(BPoint start, BPoint end, rgb_color color);
	// Draws text with its baseline starting at where, in the default plain font.
	void DrawString(const char* text, int32 length, BPoint where, rgb_color color);
	// Draws a B_CMAP8 bitmap through the colour map, skipping B_TRANSPARENT_8_BIT.
	void DrawBitmap(const BBitmap* bitmap, BPoint where);

	// The default plain font, shared by measuring and drawing.
	static float StringWidth(const char* text, int32 length);
	static void GetFontHeight(font_height* height);

private:
	// The clip rectangle as pixels, inside the buffer (empty when nothing can be drawn).
	PixelBox ClipBox() const;
	void FillBox(int64 left, int64 top, int64 right, int64 bottom, uint32 pixel);

	uint32* fPixels;
	int32 fWidth;
	int32 fHeight;
	BPoint fOrigin;
	BRect fClip;
};

// 0xFFRRGGBB for a colour.
inline uint32 PackColor(rgb_color c)
{
	return 0xFF000000u | (uint32(c.red) << 16) | (uint32(c.green) << 8) | uint32(c.blue);
}

}  // namespace platform

#endif
