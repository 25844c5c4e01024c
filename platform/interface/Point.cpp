#include <Point.h>

#include <Rect.h>

const BPoint B_ORIGIN(0, 0);

void
BPoint::ConstrainTo(BRect rect)
{
	if (x < rect.left)
		x = rect.left;
	if (x > rect.right)
		x = rect.right;
	if (y < rect.top)
		y = rect.top;
	if (y > rect.bottom)
		y = rect.bottom;
}
