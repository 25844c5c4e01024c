#ifndef PLATFORM_BACK_BUFFER_H
#define PLATFORM_BACK_BUFFER_H

#include <Rect.h>

#include <vector>

namespace platform {

// The pixels a window's views draw into: width * height words 0xFFRRGGBB, rows from the top,
// white at first; and the part of them changed since it was last taken for the screen.
class BackBuffer {
public:
	BackBuffer(int32 width, int32 height);

	uint32* Pixels() { return fPixels.data(); }
	const uint32* Pixels() const { return fPixels.data(); }
	int32 Width() const { return fWidth; }
	int32 Height() const { return fHeight; }
	BRect Bounds() const { return BRect(0, 0, fWidth - 1, fHeight - 1); }

	// rect is widened to whole pixels and cut to the buffer.
	void MarkDirty(BRect rect);
	// What changed since the last call; invalid when nothing did.
	BRect TakeDirty();

private:
	std::vector<uint32> fPixels;
	int32 fWidth;
	int32 fHeight;
	BRect fDirty;
};

}  // namespace platform

#endif
