#include "interface/Painter.h"

#include <Bitmap.h>

#include "interface/PlainFont.h"

#include <string.h>

#include <algorithm>
#include <cmath>
#include <utility>

// Every coordinate, after the origin is added, lands on the pixel floor(x + 0.5): 2.5 is
// pixel 3, 2.49 pixel 2, -0.5 pixel 0. One rule for rectangles, lines, text and bitmaps, so
// that shapes drawn from the same coordinates meet exactly.

namespace platform {

namespace {

// Far outside any buffer, yet small enough that the line arithmetic stays inside int64.
const int64 kCoordinateLimit = int64(1) << 29;

// The pixel a coordinate lands on; false for NaN, which draws nothing.
bool ToPixel(double value, int64* pixel)
{
	if (std::isnan(value))
		return false;
	double rounded = std::floor(value + 0.5);
	rounded = std::clamp(rounded, double(-kCoordinateLimit), double(kCoordinateLimit));
	*pixel = int64(rounded);
	return true;
}

struct Box64 {
	int64 left;
	int64 top;
	int64 right;
	int64 bottom;

	bool IsEmpty() const { return left > right || top > bottom; }
};

bool ToBox(BRect rect, BPoint origin, Box64* box)
{
	return ToPixel(double(rect.left) + origin.x, &box->left)
		&& ToPixel(double(rect.top) + origin.y, &box->top)
		&& ToPixel(double(rect.right) + origin.x, &box->right)
		&& ToPixel(double(rect.bottom) + origin.y, &box->bottom);
}

Box64 Intersect(const Box64& a, const PixelBox& b)
{
	return Box64{std::max<int64>(a.left, b.left), std::max<int64>(a.top, b.top),
		std::min<int64>(a.right, b.right), std::min<int64>(a.bottom, b.bottom)};
}

enum {
	kLeftOf = 1,
	kRightOf = 2,
	kAbove = 4,
	kBelow = 8
};

int Outcode(double x, double y, double limit)
{
	return (x < -limit         ? kLeftOf
				   : x > limit ? kRightOf
							   : 0)
		| (y < -limit       ? kAbove
				: y > limit ? kBelow
							: 0);
}

// Cuts the segment to the square of side 2 * kCoordinateLimit around the origin, keeping
// its slope, so that a line reaching far outside still crosses the buffer where it should
// once its ends are rounded. Infinite ends count as very large ones. false when nothing of
// it is left or a coordinate is NaN.
bool CutSegment(double* x0, double* y0, double* x1, double* y1)
{
	double* values[4] = {x0, y0, x1, y1};
	for (double* value : values) {
		if (std::isnan(*value))
			return false;
		*value = std::clamp(*value, -1e30, 1e30);
	}
	// Cohen-Sutherland: move an outside end onto the side it lies beyond, until both are in.
	const double limit = double(kCoordinateLimit);
	for (int round = 0; round < 8; round++) {
		int code0 = Outcode(*x0, *y0, limit);
		int code1 = Outcode(*x1, *y1, limit);
		if ((code0 | code1) == 0)
			return true;
		if ((code0 & code1) != 0)
			return false;
		bool first = code0 != 0;
		int code = first ? code0 : code1;
		double* x = first ? x0 : x1;
		double* y = first ? y0 : y1;
		double dx = *x1 - *x0;
		double dy = *y1 - *y0;
		if (code & (kLeftOf | kRightOf)) {
			double side = (code & kLeftOf) ? -limit : limit;
			*y = *y0 + dy * (side - *x0) / dx;
			*x = side;
		} else {
			double side = (code & kAbove) ? -limit : limit;
			*x = *x0 + dx * (side - *y0) / dy;
			*y = side;
		}
	}
	return Outcode(*x0, *y0, limit) == 0 && Outcode(*x1, *y1, limit) == 0;
}

// Floor of numerator / denominator for a positive denominator.
int64 FloorDivide(int64 numerator, int64 denominator)
{
	int64 quotient = numerator / denominator;
	if (numerator % denominator != 0 && numerator < 0)
		quotient--;
	return quotient;
}

}  // namespace

Painter::Painter(uint32* pixels, int32 width, int32 height) :
	fPixels(pixels),
	fWidth(pixels != NULL ? std::max<int32>(width, 0) : 0),
	fHeight(pixels != NULL ? std::max<int32>(height, 0) : 0),
	fOrigin(0, 0),
	fClip(0, 0, float(fWidth - 1), float(fHeight - 1))
{
}

void Painter::SetClip(BRect clip)
{
	fClip = clip;
}

void Painter::FillRect(BRect rect, rgb_color color)
{
	Box64 box;
	if (!ToBox(rect, fOrigin, &box))
		return;
	FillBox(box.left, box.top, box.right, box.bottom, PackColor(color));
}

void Painter::StrokeRect(BRect rect, rgb_color color)
{
	Box64 box;
	if (!ToBox(rect, fOrigin, &box) || box.IsEmpty())
		return;
	uint32 pixel = PackColor(color);
	FillBox(box.left, box.top, box.right, box.top, pixel);
	FillBox(box.left, box.bottom, box.right, box.bottom, pixel);
	FillBox(box.left, box.top, box.left, box.bottom, pixel);
	FillBox(box.right, box.top, box.right, box.bottom, pixel);
}

void Painter::StrokeLine(BPoint start, BPoint end, rgb_color color)
{
	double startX = double(start.x) + fOrigin.x, startY = double(start.y) + fOrigin.y;
	double endX = double(end.x) + fOrigin.x, endY = double(end.y) + fOrigin.y;
	int64 x0, y0, x1, y1;
	if (!CutSegment(&startX, &startY, &endX, &endY) || !ToPixel(startX, &x0)
		|| !ToPixel(startY, &y0) || !ToPixel(endX, &x1) || !ToPixel(endY, &y1))
		return;
	PixelBox clip = ClipBox();
	if (clip.IsEmpty())
		return;

	// Walk the longer axis (a) one pixel at a time; the other axis (b) follows the exact
	// line, rounded to the nearest pixel. Ordering the end points first makes the pixels
	// independent of the direction the line was drawn in.
	bool steep = std::abs(y1 - y0) > std::abs(x1 - x0);
	if (steep) {
		std::swap(x0, y0);
		std::swap(x1, y1);
	}
	if (x0 > x1) {
		std::swap(x0, x1);
		std::swap(y0, y1);
	}
	int64 aMin = steep ? clip.top : clip.left;
	int64 aMax = steep ? clip.bottom : clip.right;
	int64 bMin = steep ? clip.left : clip.top;
	int64 bMax = steep ? clip.right : clip.bottom;
	int64 da = x1 - x0;
	int64 db = y1 - y0;
	uint32 pixel = PackColor(color);

	// Only the steps inside the clip are visited, so a line a billion pixels long costs no
	// more than one across the buffer.
	int64 first = std::max<int64>(0, aMin - x0);
	int64 last = std::min<int64>(da, aMax - x0);
	for (int64 step = first; step <= last; step++) {
		int64 b = da == 0 ? y0 : y0 + FloorDivide(2 * step * db + da, 2 * da);
		if (b < bMin || b > bMax)
			continue;
		int64 a = x0 + step;
		if (steep)
			fPixels[b + a * fWidth] = pixel;
		else
			fPixels[a + b * fWidth] = pixel;
	}
}

void Painter::DrawString(const char* text, int32 length, BPoint where, rgb_color color)
{
	int64 x, y;
	if (text == NULL || !ToPixel(double(where.x) + fOrigin.x, &x)
		|| !ToPixel(double(where.y) + fOrigin.y, &y))
		return;
	PixelBox clip = ClipBox();
	if (clip.IsEmpty())
		return;
	PlainFont::Default().Draw(
		fPixels, fWidth, fHeight, clip, int32(x), int32(y), text, length, color);
}

void Painter::DrawBitmap(const BBitmap* bitmap, BPoint where)
{
	int64 x0, y0;
	if (bitmap == NULL || !bitmap->IsValid() || !ToPixel(double(where.x) + fOrigin.x, &x0)
		|| !ToPixel(double(where.y) + fOrigin.y, &y0))
		return;
	color_space space = bitmap->ColorSpace();
	int32 bytesPerPixel = space == B_CMAP8 ? 1 : (space == B_RGB32 || space == B_RGBA32) ? 4 : 0;
	if (bytesPerPixel == 0)
		return;

	BRect bounds = bitmap->Bounds();
	int64 columns = int64(bounds.IntegerWidth()) + 1;
	int64 rows = int64(bounds.IntegerHeight()) + 1;
	int64 bytesPerRow = bitmap->BytesPerRow();
	const uint8* bits = static_cast<const uint8*>(bitmap->Bits());
	if (bits == NULL || columns <= 0 || rows <= 0 || bytesPerRow < columns * bytesPerPixel
		|| bitmap->BitsLength() < bytesPerRow * rows)
		return;

	PixelBox clip = ClipBox();
	Box64 area = Intersect(Box64{x0, y0, x0 + columns - 1, y0 + rows - 1}, clip);
	if (area.IsEmpty())
		return;
	const rgb_color* colors = system_colors()->color_list;
	for (int64 y = area.top; y <= area.bottom; y++) {
		const uint8* row = bits + (y - y0) * bytesPerRow;
		uint32* target = fPixels + y * fWidth;
		for (int64 x = area.left; x <= area.right; x++) {
			if (bytesPerPixel == 1) {
				uint8 index = row[x - x0];
				if (index != B_TRANSPARENT_8_BIT)
					target[x] = PackColor(colors[index]);
			} else {
				uint32 value;
				memcpy(&value, row + (x - x0) * 4, 4);
				target[x] = value | 0xFF000000u;
			}
		}
	}
}

float Painter::StringWidth(const char* text, int32 length)
{
	return PlainFont::Default().StringWidth(text, length);
}

void Painter::GetFontHeight(font_height* height)
{
	if (height != NULL)
		PlainFont::Default().GetHeight(height);
}

PixelBox Painter::ClipBox() const
{
	PixelBox box{0, 0, fWidth - 1, fHeight - 1};
	Box64 clip;
	if (!ToBox(fClip, BPoint(0, 0), &clip))
		return PixelBox{0, 0, -1, -1};
	// Coordinates are clamped well inside int32, so the narrowing is exact.
	Box64 area = Intersect(clip, box);
	return PixelBox{int32(area.left), int32(area.top), int32(area.right), int32(area.bottom)};
}

void Painter::FillBox(int64 left, int64 top, int64 right, int64 bottom, uint32 pixel)
{
	Box64 area = Intersect(Box64{left, top, right, bottom}, ClipBox());
	if (area.IsEmpty())
		return;
	for (int64 y = area.top; y <= area.bottom; y++) {
		uint32* row = fPixels + y * fWidth;
		std::fill(row + area.left, row + area.right + 1, pixel);
	}
}

}  // namespace platform
