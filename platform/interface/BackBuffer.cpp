#include "interface/BackBuffer.h"

#include <math.h>

namespace platform {

BackBuffer::BackBuffer(int32 width, int32 height) :
	fPixels((size_t)width * (size_t)height, 0xFFFFFFFFu),
	fWidth(width),
	fHeight(height)
{
}

void BackBuffer::MarkDirty(BRect rect)
{
	BRect pixels(floorf(rect.left), floorf(rect.top), ceilf(rect.right), ceilf(rect.bottom));
	pixels = pixels & Bounds();
	if (!pixels.IsValid())
		return;
	fDirty = fDirty.IsValid() ? fDirty | pixels : pixels;
}

BRect BackBuffer::TakeDirty()
{
	BRect dirty = fDirty;
	fDirty = BRect();
	return dirty;
}

}  // namespace platform
