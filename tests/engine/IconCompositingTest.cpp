#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>

#include "IconCompositing.h"

namespace {

const uint8 T = 255;
typedef std::array<uint8, 256> Icon16;
typedef std::array<uint8, 1024> Icon32;

template <size_t N>
std::array<uint8, N> Filled(uint8 value)
{
	std::array<uint8, N> a;
	a.fill(value);
	return a;
}

template <size_t N>
std::array<uint8, N> Random(uint32 seed, int transparentPercent)
{
	std::mt19937 rng(seed);
	std::array<uint8, N> a;
	for (auto& b : a)
		b = int(rng() % 100) < transparentPercent ? T : uint8(rng() % 255);
	return a;
}

// The rules written out plainly, pixel by pixel, to compare whole buffers against.
Icon32 ExpectedLarge(const Icon16& item, Icon32 large)
{
	for (int y = 0; y < 32; y++)
		for (int x = 0; x < 32; x++)
			if (y >= 16 && x >= 8 && x < 24 && item[(y - 16) * 16 + (x - 8)] != T)
				large[y * 32 + x] = item[(y - 16) * 16 + (x - 8)];
	return large;
}

Icon16 ExpectedMini(const Icon16& item, Icon16 mini)
{
	for (int y = 8; y < 16; y++)
		for (int x = 4; x < 12; x++) {
			uint8 p = item[(2 * (y - 8)) * 16 + 2 * (x - 4)];
			if (p != T)
				mini[y * 16 + x] = p;
		}
	return mini;
}

}  // namespace

TEST(IconCompositing, WholeBuffersMatchThePlainRuleForRandomIcons)
{
	for (uint32 seed = 1; seed <= 50; seed++) {
		Icon16 item = Random<256>(seed, 40);
		Icon32 large = Random<1024>(seed + 1000, 10);
		Icon16 mini = Random<256>(seed + 2000, 10);
		Icon32 expectedLarge = ExpectedLarge(item, large);
		Icon16 expectedMini = ExpectedMini(item, mini);

		ComposeLargeIcon(item.data(), large.data(), T);
		ComposeMiniIcon(item.data(), mini.data(), T);

		ASSERT_EQ(large, expectedLarge) << "seed " << seed;
		ASSERT_EQ(mini, expectedMini) << "seed " << seed;
	}
}

TEST(IconCompositing, FullyTransparentItemChangesNothing)
{
	Icon16 item = Filled<256>(T);
	Icon32 large = Random<1024>(7, 0);
	Icon16 mini = Random<256>(8, 0);
	Icon32 largeBefore = large;
	Icon16 miniBefore = mini;

	ComposeLargeIcon(item.data(), large.data(), T);
	ComposeMiniIcon(item.data(), mini.data(), T);

	EXPECT_EQ(large, largeBefore);
	EXPECT_EQ(mini, miniBefore);
}

TEST(IconCompositing, OpaqueItemCoversExactlyTheLowerCentreOfBothIcons)
{
	Icon16 item = Filled<256>(0);  // index 0 is drawn like any other colour
	Icon32 large = Filled<1024>(9);
	Icon16 mini = Filled<256>(9);

	ComposeLargeIcon(item.data(), large.data(), T);
	ComposeMiniIcon(item.data(), mini.data(), T);

	int changedLarge = 0;
	for (int i = 0; i < 1024; i++) {
		bool inside = i / 32 >= 16 && i % 32 >= 8 && i % 32 <= 23;
		EXPECT_EQ(large[i], inside ? 0 : 9) << "byte " << i;
		changedLarge += large[i] == 0;
	}
	int changedMini = 0;
	for (int i = 0; i < 256; i++) {
		bool inside = i / 16 >= 8 && i % 16 >= 4 && i % 16 <= 11;
		EXPECT_EQ(mini[i], inside ? 0 : 9) << "byte " << i;
		changedMini += mini[i] == 0;
	}
	EXPECT_EQ(changedLarge, 256);
	EXPECT_EQ(changedMini, 64);
}

TEST(IconCompositing, CornerPixelsLandWhereTheirRowsAndColumnsSay)
{
	Icon16 item = Filled<256>(T);
	item[0] = 1;            // row 0, column 0
	item[2] = 2;            // row 0, column 2: shows orientation is kept
	item[14 * 16 + 14] = 3;  // row 14, column 14
	item[15 * 16 + 15] = 4;  // row 15, column 15: odd, not sampled
	Icon32 large = Filled<1024>(9);
	Icon16 mini = Filled<256>(9);

	ComposeLargeIcon(item.data(), large.data(), T);
	ComposeMiniIcon(item.data(), mini.data(), T);

	EXPECT_EQ(large[520], 1);
	EXPECT_EQ(large[16 * 32 + 10], 2);
	EXPECT_EQ(large[982], 3);
	EXPECT_EQ(large[1015], 4);
	EXPECT_EQ(mini[132], 1);
	EXPECT_EQ(mini[8 * 16 + 5], 2);
	EXPECT_EQ(mini[251], 3);
	EXPECT_EQ(std::count(mini.begin(), mini.end(), 4), 0);
}

TEST(IconCompositing, OddRowsAndColumnsNeverReachTheMiniIcon)
{
	Icon16 item = Filled<256>(T);
	for (int r = 0; r < 16; r++)
		for (int c = 0; c < 16; c++)
			if (r % 2 == 1 || c % 2 == 1)
				item[r * 16 + c] = 5;
	Icon32 large = Filled<1024>(9);
	Icon16 mini = Filled<256>(9);
	Icon16 miniBefore = mini;

	ComposeLargeIcon(item.data(), large.data(), T);
	ComposeMiniIcon(item.data(), mini.data(), T);

	EXPECT_EQ(mini, miniBefore);
	EXPECT_NE(large, Filled<1024>(9));
}

TEST(IconCompositing, ComposingTheSameItemAgainChangesNothingFurther)
{
	Icon16 item = Random<256>(3, 50);
	Icon32 large = Random<1024>(4, 0);
	Icon16 mini = Random<256>(5, 0);
	ComposeLargeIcon(item.data(), large.data(), T);
	ComposeMiniIcon(item.data(), mini.data(), T);
	Icon32 once = large;
	Icon16 miniOnce = mini;

	ComposeLargeIcon(item.data(), large.data(), T);
	ComposeMiniIcon(item.data(), mini.data(), T);

	EXPECT_EQ(large, once);
	EXPECT_EQ(mini, miniOnce);
}
