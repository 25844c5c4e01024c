#include <gtest/gtest.h>

#include <algorithm>

#include "IconCompositing.h"

// The item lands whole in rows 16-31, columns 8-23 of the large icon, and the top-left pixel
// of each of its 2x2 blocks in rows 8-15, columns 4-11 of the mini icon; where it is
// transparent the folder's pixel stays, and index 0 is drawn like any other colour.
TEST(IconCompositing, ItemCoversTheLowerCentreOfBothIconsButWhereItIsTransparent)
{
	uint8 item[256], large[1024], mini[256];
	for (int i = 0; i < 256; i++)
		item[i] = i % 3 == 0 ? 255 : i % 200;
	std::fill(large, large + 1024, 9);
	std::fill(mini, mini + 256, 9);
	ComposeLargeIcon(item, large, 255);
	ComposeMiniIcon(item, mini, 255);
	for (const auto& [icon, side] : {std::pair{large, 32}, std::pair{mini, 16}}) {
		int scale = 32 / side;
		for (int y = 0; y < side; y++) {
			for (int x = 0; x < side; x++) {
				bool inside = y >= side / 2 && x >= side / 4 && x < side * 3 / 4;
				uint8 drawn =
					inside ? item[(y - side / 2) * scale * 16 + (x - side / 4) * scale] : 255;
				ASSERT_EQ(icon[y * side + x], drawn == 255 ? 9 : drawn)
					<< side << " px icon at " << x << "," << y;
			}
		}
	}
}
