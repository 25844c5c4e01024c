#include <gtest/gtest.h>

#include <string>

#include "IconCompositing.h"

// A page over a folder of one colour, one character a pixel and each its own index, '.' the
// transparent one: the page lands whole in the lower half of the large icon from column 8,
// and the top-left pixel of each of its 2x2 blocks in the lower half of the mini icon from
// column 4; where the page is transparent, and in both upper halves, the folder stays.
TEST(IconCompositing, ItemCoversTheLowerCentreOfBothIconsButWhereItIsTransparent)
{
	// The item, the large icon's rows 16-31, the mini icon's rows 8-15 (of the item's even rows).
	static const char* const kRows[][3] = {
		{"##########......", "ffffffff##########ffffffffffffff", "ffff#####fffffff"},
		{"#oooooooo##.....", "ffffffff#oooooooo##fffffffffffff", ""},
		{"#oooooooo#o#....", "ffffffff#oooooooo#o#ffffffffffff", "ffff#oooooffffff"},
		{"#oooooooo#oo#...", "ffffffff#oooooooo#oo#fffffffffff", ""},
		{"#oooooooo#ooo#..", "ffffffff#oooooooo#ooo#ffffffffff", "ffff#oooooofffff"},
		{"#oooooooo#oooo#.", "ffffffff#oooooooo#oooo#fffffffff", ""},
		{"#oooooooo#######", "ffffffff#oooooooo#######ffffffff", "ffff#oooo###ffff"},
		{"#oooooooooooooo#", "ffffffff#oooooooooooooo#ffffffff", ""},
		{"#o============o#", "ffffffff#o============o#ffffffff", "ffff#======offff"},
		{"#oooooooooooooo#", "ffffffff#oooooooooooooo#ffffffff", ""},
		{"#o============o#", "ffffffff#o============o#ffffffff", "ffff#======offff"},
		{"#oooooooooooooo#", "ffffffff#oooooooooooooo#ffffffff", ""},
		{"#o========ooooo#", "ffffffff#o========ooooo#ffffffff", "ffff#====oooffff"},
		{"#oooooooooooooo#", "ffffffff#oooooooooooooo#ffffffff", ""},
		{"#oooooooooooooo#", "ffffffff#oooooooooooooo#ffffffff", "ffff#oooooooffff"},
		{"################", "ffffffff################ffffffff", ""},
	};
	std::string item, large(32 * 16, 'f'), mini(16 * 8, 'f');
	for (const auto& row : kRows) {
		item += row[0];
		large += row[1];
		mini += row[2];
	}
	std::string composedLarge(1024, 'f'), composedMini(256, 'f');
	auto bits = [](std::string& icon) { return reinterpret_cast<uint8*>(&icon[0]); };
	ComposeLargeIcon(bits(item), bits(composedLarge), '.');
	ComposeMiniIcon(bits(item), bits(composedMini), '.');
	for (int y = 0; y < 32; y++)
		EXPECT_EQ(composedLarge.substr(y * 32, 32), large.substr(y * 32, 32)) << "large, row " << y;
	for (int y = 0; y < 16; y++)
		EXPECT_EQ(composedMini.substr(y * 16, 16), mini.substr(y * 16, 16)) << "mini, row " << y;
}
