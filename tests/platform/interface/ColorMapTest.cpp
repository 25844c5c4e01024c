#include <gtest/gtest.h>

#include <GraphicsDefs.h>

#include <set>
#include <thread>
#include <vector>

#include "interface/ColorMapping.h"

TEST(SystemColors, IndexZeroIsBlackAndTheTransparentIndexIsTheTransparentColour)
{
	const color_map* map = system_colors();
	EXPECT_EQ(map->color_list[0], (rgb_color{0, 0, 0, 255}));
	EXPECT_EQ(B_TRANSPARENT_8_BIT, 255);
	EXPECT_EQ(map->color_list[B_TRANSPARENT_8_BIT], B_TRANSPARENT_COLOR);
	bool hasWhite = false;
	for (const rgb_color& color : map->color_list)
		hasWhite |= color == rgb_color{255, 255, 255, 255};
	EXPECT_TRUE(hasWhite);
}

TEST(SystemColors, EveryColourOfTheMapInvertsToItselfAndExpandsOpaque)
{
	const color_map* map = system_colors();
	for (int i = 0; i < 255; i++) {
		rgb_color color = map->color_list[i];
		uint8 index = platform::IndexForRGB(color.red, color.green, color.blue);
		EXPECT_EQ(map->color_list[index], color) << "index " << i;
		uint32 argb = platform::ARGBForIndex(uint8(i));
		EXPECT_EQ(argb, 0xFF000000u | color.red << 16 | color.green << 8 | color.blue) << i;
		EXPECT_EQ(map->color_list[platform::IndexForARGB(argb)], color) << "index " << i;
	}
	EXPECT_EQ(platform::ARGBForIndex(B_TRANSPARENT_8_BIT) >> 24, 0u);
}

TEST(SystemColors, InversionTableNeverGivesTheTransparentIndex)
{
	const color_map* map = system_colors();
	for (int rgb15 = 0; rgb15 < (1 << 15); rgb15++) {
		ASSERT_NE(map->inversion_map[rgb15], B_TRANSPARENT_8_BIT) << rgb15;
		ASSERT_EQ(map->index_map[rgb15], map->inversion_map[rgb15]) << rgb15;
	}
	EXPECT_NE(platform::IndexForRGB(0x77, 0x74, 0x77), B_TRANSPARENT_8_BIT);
}

TEST(SystemColors, EveryThreadSeesTheSameMap)
{
	std::vector<const color_map*> seen(4);
	std::vector<std::thread> threads;
	for (size_t i = 0; i < seen.size(); i++)
		threads.emplace_back([&seen, i] { seen[i] = system_colors(); });
	for (std::thread& thread : threads)
		thread.join();
	EXPECT_EQ(std::set<const color_map*>(seen.begin(), seen.end()).size(), 1u);
}

TEST(ColorMapping, AlphaBelowHalfReducesToTransparent)
{
	EXPECT_EQ(platform::IndexForARGB(0x7FFFFFFF), B_TRANSPARENT_8_BIT);
	EXPECT_EQ(platform::IndexForARGB(0x80000000), 0);
	EXPECT_EQ(platform::IndexForARGB(0x00000000), B_TRANSPARENT_8_BIT);
}

TEST(ColorMapping, NearColoursReduceToTheNearestEntry)
{
	const color_map* map = system_colors();
	rgb_color red = map->color_list[platform::IndexForRGB(250, 3, 6)];
	EXPECT_EQ(red, (rgb_color{255, 0, 0, 255}));
	rgb_color grey = map->color_list[platform::IndexForRGB(130, 128, 129)];
	EXPECT_EQ(grey.red, grey.green);
	EXPECT_NEAR(grey.red, 128, 8);
}
