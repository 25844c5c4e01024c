#ifndef _POINT_H
#define _POINT_H

#include <SupportDefs.h>

class BRect;

class BPoint {
public:
	float x;
	float y;

	constexpr BPoint() :
		x(0),
		y(0)
	{
	}
	constexpr BPoint(float x, float y) :
		x(x),
		y(y)
	{
	}

	void Set(float x, float y)
	{
		this->x = x;
		this->y = y;
	}

	BPoint operator+(const BPoint& p) const { return BPoint(x + p.x, y + p.y); }
	BPoint operator-(const BPoint& p) const { return BPoint(x - p.x, y - p.y); }
	BPoint& operator+=(const BPoint& p)
	{
		x += p.x;
		y += p.y;
		return *this;
	}
	BPoint& operator-=(const BPoint& p)
	{
		x -= p.x;
		y -= p.y;
		return *this;
	}
	bool operator==(const BPoint& p) const { return x == p.x && y == p.y; }
	bool operator!=(const BPoint& p) const { return !(*this == p); }
};

extern const BPoint B_ORIGIN;

#endif
