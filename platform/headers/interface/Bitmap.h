#ifndef _BITMAP_H
#define _BITMAP_H

#include <GraphicsDefs.h>
#include <Rect.h>

#define B_ANY_BYTES_PER_ROW -1

// An off-screen image. Rows run from the top; each row is BytesPerRow() bytes, padded to a
// multiple of 4 (so 16 and 32 pixels of B_CMAP8 have no padding).
class BBitmap {
public:
	BBitmap(BRect bounds, color_space colorSpace, bool acceptsViews = false,
		bool needsContiguous = false);
	BBitmap(const BBitmap& source);
	virtual ~BBitmap();

	status_t InitCheck() const;
	bool IsValid() const;

	void* Bits() const;
	int32 BitsLength() const;
	int32 BytesPerRow() const;
	color_space ColorSpace() const;
	BRect Bounds() const;

	// Copies length bytes of data in colorSpace into the bitmap at offset, as far as they fit.
	// Only data already in the bitmap's own colour space is accepted.
	void SetBits(const void* data, int32 length, int32 offset, color_space colorSpace);

	BBitmap& operator=(const BBitmap&) = delete;

private:
	BRect fBounds;
	color_space fColorSpace;
	int32 fBytesPerRow;
	uint8* fBits;
	status_t fInitStatus;
};

#endif
