#include <gtest/gtest.h>

#include <array>
#include <random>

#include "IconCompositing.h"

namespace {

const uint8 T = 255;
typedef std::array<uint8, 256> Icon16;
typedef std::array<uint8, 1024> Icon32;

template<size_t N>
std::array<uint8, N> Filled(uint8 value)
{
	std::array<uint8, N> a;
	a.fill(value);
	return a;
}

template<size_t N>
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

// Random items, 40% transparent, over random icons: every transparent, odd-row and
// odd-column case, and composing the same item twice, meet the plain rule.
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
		ComposeLargeIcon(item.data(), large.data(), T);
		ComposeMiniIcon(item.data(), mini.data(), T);
		ASSERT_EQ(large, expectedLarge) << "seed " << seed << ", composed again";
		ASSERT_EQ(mini, expectedMini) << "seed " << seed << ", composed again";
	}
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
