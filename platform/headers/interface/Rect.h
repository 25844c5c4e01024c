#ifndef _RECT_H
#define _RECT_H

#include <Point.h>

// A rectangle that includes its right and bottom edges: (0, 0, 280, 70) covers 281 x 71
// pixels. Invalid when left > right or top > bottom.
class BRect {
public:
	float left;
	float top;
	float right;
	float bottom;

	constexpr BRect() :
		left(0),
		top(0),
		right(-1),
		bottom(-1)
	{
	}
	constexpr BRect(float l, float t, float r, float b) :
		left(l),
		top(t),
		right(r),
		bottom(b)
	{
	}
	constexpr BRect(BPoint leftTop, BPoint rightBottom) :
		left(leftTop.x),
		top(leftTop.y),
		right(rightBottom.x),
		bottom(rightBottom.y)
	{
	}

	void Set(float l, float t, float r, float b)
	{
		left = l;
		top = t;
		right = r;
		bottom = b;
	}

	BPoint LeftTop() const { return BPoint(left, top); }

	float Width() const { return right - left; }
	float Height() const { return bottom - top; }
	int32 IntegerWidth() const;
	int32 IntegerHeight() const;
	bool IsValid() const { return left <= right && top <= bottom; }

	BRect& InsetBy(float dx, float dy);
	BRect& InsetBy(BPoint point) { return InsetBy(point.x, point.y); }
	BRect InsetByCopy(float dx, float dy) const;
	BRect InsetByCopy(BPoint point) const { return InsetByCopy(point.x, point.y); }
	BRect& OffsetBy(float dx, float dy);
	BRect& OffsetBy(BPoint point) { return OffsetBy(point.x, point.y); }
	BRect OffsetByCopy(float dx, float dy) const;
	BRect OffsetByCopy(BPoint point) const { return OffsetByCopy(point.x, point.y); }
	BRect& OffsetTo(float x, float y);
	BRect& OffsetTo(BPoint point) { return OffsetTo(point.x, point.y); }
	BRect OffsetToCopy(float x, float y) const;
	BRect OffsetToCopy(BPoint point) const { return OffsetToCopy(point.x, point.y); }

	bool Contains(BPoint point) const;
	bool Contains(BRect rect) const;

	BRect operator&(BRect other) const;  // intersection
	BRect operator|(BRect other) const;  // union
	bool operator==(BRect other) const;
	bool operator!=(BRect other) const { return !(*this == other); }
};

#endif
