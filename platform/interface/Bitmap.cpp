#include <Bitmap.h>

#include <string.h>

#include <new>

#include "interface/ColorMapping.h"
#include "support/ByteOrder.h"

namespace {

// Large enough for any icon or window; small enough that rows * bytes per row fits int32.
const int32 kMaxDimension = 16384;

int32 BytesPerPixel(color_space space)
{
	switch (space) {
		case B_CMAP8:
		case B_GRAY8:
			return 1;
		case B_RGB32:
		case B_RGBA32:
			return 4;
		default:
			return 0;
	}
}

int32 PaddedRow(int32 width, int32 bytesPerPixel)
{
	return (width * bytesPerPixel + 3) & ~3;
}

uint32 ReadPixel32(const uint8* p)
{
	// B_RGB32 in memory: blue, green, red, alpha.
	return uint32(platform::ReadLittle(p, 4));
}

}  // namespace

BBitmap::BBitmap(BRect bounds, color_space colorSpace, bool, bool) :
	fBounds(bounds),
	fColorSpace(colorSpace),
	fBytesPerRow(0),
	fBits(NULL),
	fInitStatus(B_BAD_VALUE)
{
	int32 bytesPerPixel = BytesPerPixel(colorSpace);
	if (bytesPerPixel == 0 || !bounds.IsValid())
		return;
	if (bounds.Width() >= kMaxDimension || bounds.Height() >= kMaxDimension)
		return;
	int32 width = bounds.IntegerWidth() + 1;
	int32 height = bounds.IntegerHeight() + 1;
	int32 bytesPerRow = PaddedRow(width, bytesPerPixel);
	fBits = new (std::nothrow) uint8[size_t(bytesPerRow) * height]();
	if (fBits == NULL) {
		fInitStatus = B_NO_MEMORY;
		return;
	}
	fBytesPerRow = bytesPerRow;
	fInitStatus = B_OK;
}

BBitmap::BBitmap(const BBitmap& source) :
	fBounds(source.fBounds),
	fColorSpace(source.fColorSpace),
	fBytesPerRow(0),
	fBits(NULL),
	fInitStatus(source.fInitStatus)
{
	if (source.fInitStatus != B_OK)
		return;
	fBits = new (std::nothrow) uint8[source.BitsLength()];
	if (fBits == NULL) {
		fInitStatus = B_NO_MEMORY;
		return;
	}
	memcpy(fBits, source.fBits, source.BitsLength());
	fBytesPerRow = source.fBytesPerRow;
}

BBitmap::~BBitmap()
{
	delete[] fBits;
}

status_t BBitmap::InitCheck() const
{
	return fInitStatus;
}

bool BBitmap::IsValid() const
{
	return fInitStatus == B_OK;
}

void* BBitmap::Bits() const
{
	return fBits;
}

int32 BBitmap::BitsLength() const
{
	if (fBits == NULL)
		return 0;
	return fBytesPerRow * (fBounds.IntegerHeight() + 1);
}

int32 BBitmap::BytesPerRow() const
{
	return fBytesPerRow;
}

color_space BBitmap::ColorSpace() const
{
	return fColorSpace;
}

BRect BBitmap::Bounds() const
{
	return fBounds;
}

void BBitmap::SetBits(const void* data, int32 length, int32 offset, color_space colorSpace)
{
	if (fBits == NULL || data == NULL || length <= 0 || offset < 0 || offset >= BitsLength())
		return;
	const uint8* source = static_cast<const uint8*>(data);

	if (colorSpace == fColorSpace) {
		int32 count = length < BitsLength() - offset ? length : BitsLength() - offset;
		memcpy(fBits + offset, source, count);
		return;
	}
	if (fColorSpace != B_CMAP8 || (colorSpace != B_RGB32 && colorSpace != B_RGBA32))
		return;

	// True-colour pixels fill the bitmap's pixels in order from offset, row padding skipped.
	int32 width = fBounds.IntegerWidth() + 1;
	int32 row = offset / fBytesPerRow;
	int32 column = offset % fBytesPerRow;
	int32 rows = fBounds.IntegerHeight() + 1;
	for (int32 i = 0; i + 4 <= length && row < rows; i += 4) {
		if (column >= width) {
			row++;
			column = 0;
			if (row >= rows)
				break;
		}
		uint32 pixel = ReadPixel32(source + i);
		if (colorSpace == B_RGB32)
			pixel |= 0xFF000000u;
		fBits[row * fBytesPerRow + column] = platform::IndexForARGB(pixel);
		column++;
	}
}
