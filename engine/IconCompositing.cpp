#include "IconCompositing.h"

namespace {

const int32 kItemSize = 16;
const int32 kLargeRowBytes = 32;
const int32 kMiniRowBytes = 16;
const int32 kLargeOrigin = 16 * kLargeRowBytes + 8;  // row 16, column 8
const int32 kMiniOrigin = 8 * kMiniRowBytes + 4;  // row 8, column 4
const int32 kSampleSize = 8;

}  // namespace

void ComposeLargeIcon(const uint8* itemIcon, uint8* largeIcon, uint8 transparent)
{
	for (int32 i = 0; i < kItemSize; i++) {
		for (int32 j = 0; j < kItemSize; j++) {
			uint8 pixel = itemIcon[i * kItemSize + j];
			if (pixel != transparent)
				largeIcon[kLargeOrigin + i * kLargeRowBytes + j] = pixel;
		}
	}
}

void ComposeMiniIcon(const uint8* itemIcon, uint8* miniIcon, uint8 transparent)
{
	// The sample is kept column by column: index column * 8 + row.
	uint8 sample[kSampleSize * kSampleSize];
	for (int32 r = 0; r < kItemSize; r += 2) {
		for (int32 c = 0; c < kItemSize; c += 2)
			sample[(c / 2) * kSampleSize + (r / 2)] = itemIcon[r * kItemSize + c];
	}

	for (int32 a = 0; a < kSampleSize; a++) {
		for (int32 b = 0; b < kSampleSize; b++) {
			uint8 pixel = sample[b * kSampleSize + a];
			if (pixel != transparent)
				miniIcon[kMiniOrigin + a * kMiniRowBytes + b] = pixel;
		}
	}
}
