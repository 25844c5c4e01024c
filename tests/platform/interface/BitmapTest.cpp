#include <gtest/gtest.h>

#include <Bitmap.h>

#include <string.h>

#include <vector>

// Rows are padded to four bytes, so the icons have one unpadded byte per pixel.
TEST(BBitmap, RowsArePaddedToFourBytes)
{
	const struct {
		BRect bounds;
		color_space space;
		int32 bytesPerRow;
		int32 bitsLength;
	} kRows[] = {
		{BRect(0, 0, 31, 31), B_CMAP8, 32, 1024},
		{BRect(0, 0, 15, 15), B_COLOR_8_BIT, 16, 256},
		{BRect(0, 0, 4, 2), B_CMAP8, 8, 24},
		{BRect(0, 0, 4, 2), B_RGB32, 20, 60},
	};
	for (size_t i = 0; i < sizeof(kRows) / sizeof(kRows[0]); i++) {
		BBitmap bitmap(kRows[i].bounds, kRows[i].space, false, false);
		ASSERT_EQ(bitmap.InitCheck(), B_OK) << "row " << i;
		EXPECT_EQ(bitmap.Bounds(), kRows[i].bounds) << "row " << i;
		EXPECT_EQ(bitmap.BytesPerRow(), kRows[i].bytesPerRow) << "row " << i;
		EXPECT_EQ(bitmap.BitsLength(), kRows[i].bitsLength) << "row " << i;
	}
	EXPECT_EQ(BBitmap(BRect(0, 0, 15, 15), B_COLOR_8_BIT).ColorSpace(), B_CMAP8);
}

TEST(BBitmap, InvalidBoundsOrUnsupportedSpaceFailInitCheck)
{
	BBitmap empty(BRect(), B_CMAP8);
	BBitmap gray1(BRect(0, 0, 15, 15), B_GRAY1);
	BBitmap huge(BRect(0, 0, 1e9f, 1e9f), B_RGB32);
	for (const BBitmap* bitmap : {&empty, &gray1, &huge}) {
		EXPECT_EQ(bitmap->InitCheck(), B_BAD_VALUE);
		EXPECT_EQ(bitmap->Bits(), nullptr);
		EXPECT_EQ(bitmap->BitsLength(), 0);
	}
}

TEST(BBitmap, SetBitsInTheSameSpaceCopiesOnlyWhatFits)
{
	BBitmap bitmap(BRect(0, 0, 3, 1), B_CMAP8);
	std::vector<uint8> data(100, 7);
	bitmap.SetBits(data.data(), data.size(), 6, B_CMAP8);
	const uint8* bits = static_cast<const uint8*>(bitmap.Bits());
	EXPECT_EQ(std::vector<uint8>(bits, bits + 8), std::vector<uint8>({0, 0, 0, 0, 0, 0, 7, 7}));
}

TEST(BBitmap, SetBitsReducesTrueColourThroughTheColourMap)
{
	BBitmap bitmap(BRect(0, 0, 2, 1), B_CMAP8);  // 3 pixels a row, 4 bytes a row
	memset(bitmap.Bits(), 0xAB, bitmap.BitsLength());
	// Blue, green, red, alpha in memory.
	const uint8 pixels[] = {0, 0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 0, 255, 255, 255, 255};
	bitmap.SetBits(pixels, sizeof(pixels), 0, B_RGB32);
	const uint8* bits = static_cast<const uint8*>(bitmap.Bits());
	const color_map* map = system_colors();
	EXPECT_EQ(map->color_list[bits[0]], (rgb_color{0, 0, 0, 255}));
	EXPECT_EQ(map->color_list[bits[1]], (rgb_color{255, 255, 255, 255}));
	EXPECT_EQ(bits[3], 0xAB) << "row padding is left alone";
	EXPECT_EQ(map->color_list[bits[4]], (rgb_color{255, 255, 255, 255}));
	EXPECT_EQ(bits[5], 0xAB);

	bitmap.SetBits(pixels, sizeof(pixels), 0, B_RGBA32);
	EXPECT_EQ(bits[0], B_TRANSPARENT_8_BIT) << "alpha below half is transparent";
	EXPECT_EQ(map->color_list[bits[4]], (rgb_color{255, 255, 255, 255}));
}

TEST(BBitmap, CopyHasItsOwnPixels)
{
	BBitmap source(BRect(0, 0, 15, 15), B_CMAP8);
	memset(source.Bits(), 9, source.BitsLength());
	BBitmap copy(source);
	memset(source.Bits(), 1, source.BitsLength());
	ASSERT_EQ(copy.InitCheck(), B_OK);
	EXPECT_EQ(static_cast<uint8*>(copy.Bits())[255], 9);
}
