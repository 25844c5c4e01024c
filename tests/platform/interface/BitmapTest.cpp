#include <gtest/gtest.h>

#include <Bitmap.h>
#include <GraphicsDefs.h>

#include <string.h>

#include <set>
#include <thread>
#include <vector>

#include "interface/ColorMapping.h"

// Rows are padded to four bytes, so the icons have one unpadded byte per pixel; bounds too
// small or too large, or a space not supported, leave no pixels.
TEST(BBitmap, RowsArePaddedToFourBytesAndBadBoundsHaveNoPixels)
{
	const struct {
		BRect bounds;
		color_space space;
		int32 bytesPerRow;
		int32 bitsLength;  // 0: InitCheck fails
	} kRows[] = {
		{BRect(0, 0, 31, 31), B_CMAP8, 32, 1024},
		{BRect(0, 0, 15, 15), B_COLOR_8_BIT, 16, 256},
		{BRect(0, 0, 4, 2), B_CMAP8, 8, 24},
		{BRect(0, 0, 4, 2), B_RGB32, 20, 60},
		{BRect(), B_CMAP8, 0, 0},
		{BRect(0, 0, 15, 15), B_GRAY1, 0, 0},
		{BRect(0, 0, 1e9f, 1e9f), B_RGB32, 0, 0},
	};
	for (size_t i = 0; i < sizeof(kRows) / sizeof(kRows[0]); i++) {
		BBitmap bitmap(kRows[i].bounds, kRows[i].space);
		EXPECT_EQ(bitmap.InitCheck(), kRows[i].bitsLength > 0 ? B_OK : B_BAD_VALUE) << "row " << i;
		EXPECT_EQ(bitmap.BitsLength(), kRows[i].bitsLength) << "row " << i;
		EXPECT_EQ(bitmap.Bits() != NULL, kRows[i].bitsLength > 0) << "row " << i;
		EXPECT_EQ(kRows[i].bitsLength > 0 ? bitmap.BytesPerRow() : 0, kRows[i].bytesPerRow)
			<< "row " << i;
	}
	EXPECT_EQ(BBitmap(BRect(0, 0, 15, 15), B_COLOR_8_BIT).ColorSpace(), B_CMAP8);
}

// In the same space only what fits is copied, from the offset on; true colour is reduced
// through the colour map, with alpha below half transparent, and the row padding left alone.
TEST(BBitmap, SetBitsCopiesWhatFitsAndReducesTrueColourThroughTheColourMap)
{
	BBitmap bitmap(BRect(0, 0, 3, 1), B_CMAP8);
	std::vector<uint8> seven(100, 7);
	bitmap.SetBits(seven.data(), seven.size(), 6, B_CMAP8);
	const uint8* bits = static_cast<const uint8*>(bitmap.Bits());
	EXPECT_EQ(std::vector<uint8>(bits, bits + 8), std::vector<uint8>({0, 0, 0, 0, 0, 0, 7, 7}));

	BBitmap narrow(BRect(0, 0, 2, 1), B_CMAP8);  // 3 pixels a row, 4 bytes a row
	memset(narrow.Bits(), 0xAB, narrow.BitsLength());
	// Blue, green, red, alpha in memory.
	const uint8 pixels[] = {0, 0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 0, 255, 255, 255, 255};
	narrow.SetBits(pixels, sizeof(pixels), 0, B_RGB32);
	bits = static_cast<const uint8*>(narrow.Bits());
	const rgb_color* map = system_colors()->color_list;
	EXPECT_EQ(map[bits[0]], (rgb_color{0, 0, 0, 255}));
	EXPECT_EQ(map[bits[1]], (rgb_color{255, 255, 255, 255}));
	EXPECT_EQ(bits[3], 0xAB);
	EXPECT_EQ(map[bits[4]], (rgb_color{255, 255, 255, 255}));
	EXPECT_EQ(bits[5], 0xAB);
	narrow.SetBits(pixels, sizeof(pixels), 0, B_RGBA32);
	EXPECT_EQ(bits[0], B_TRANSPARENT_8_BIT);
	EXPECT_EQ(map[bits[4]], (rgb_color{255, 255, 255, 255}));

	uint8 white = bits[4];
	BBitmap copy(narrow);
	memset(narrow.Bits(), 1, narrow.BitsLength());
	ASSERT_EQ(copy.InitCheck(), B_OK);
	EXPECT_EQ(static_cast<const uint8*>(copy.Bits())[4], white) << "a copy has its own pixels";
}

// Index 0 is black; every colour of the map reduces to itself and expands opaque; no colour
// reduces to the transparent index (an icon would get holes), and near colours reduce to the
// nearest entry. Every thread sees the one map.
TEST(SystemColors, TheMapAndItsInversionAgree)
{
	const color_map* map = system_colors();
	EXPECT_EQ(map->color_list[0], (rgb_color{0, 0, 0, 255}));
	EXPECT_EQ(map->color_list[B_TRANSPARENT_8_BIT], B_TRANSPARENT_COLOR);
	for (int i = 0; i < 255; i++) {
		rgb_color color = map->color_list[i];
		uint32 argb = platform::ARGBForIndex(uint8(i));
		EXPECT_EQ(map->color_list[platform::IndexForRGB(color.red, color.green, color.blue)], color)
			<< "index " << i;
		EXPECT_EQ(argb, 0xFF000000u | color.red << 16 | color.green << 8 | color.blue) << i;
		EXPECT_EQ(map->color_list[platform::IndexForARGB(argb)], color) << "index " << i;
	}
	EXPECT_EQ(platform::ARGBForIndex(B_TRANSPARENT_8_BIT) >> 24, 0u);
	for (int rgb15 = 0; rgb15 < (1 << 15); rgb15++) {
		ASSERT_NE(map->inversion_map[rgb15], B_TRANSPARENT_8_BIT) << rgb15;
		ASSERT_EQ(map->index_map[rgb15], map->inversion_map[rgb15]) << rgb15;
	}
	EXPECT_EQ(platform::IndexForARGB(0x7FFFFFFF), B_TRANSPARENT_8_BIT);
	EXPECT_EQ(platform::IndexForARGB(0x80000000), 0);
	EXPECT_EQ(map->color_list[platform::IndexForRGB(250, 3, 6)], (rgb_color{255, 0, 0, 255}));
	rgb_color grey = map->color_list[platform::IndexForRGB(130, 128, 129)];
	EXPECT_EQ(grey.red, grey.green);
	EXPECT_NEAR(grey.red, 128, 8);

	const color_map* seen[4];
	std::vector<std::thread> threads;
	for (const color_map*& slot : seen)
		threads.emplace_back([&slot] { slot = system_colors(); });
	for (std::thread& thread : threads)
		thread.join();
	EXPECT_EQ(std::set<const color_map*>(seen, seen + 4), std::set<const color_map*>{map});
}
