#include <gtest/gtest.h>

#include <Bitmap.h>
#include <Node.h>
#include <NodeInfo.h>

#include <string.h>

#include <algorithm>
#include <string>

#include "TestSupport.h"

using namespace testing_support;

// Another program's value that is no icon of that size: nothing of it is copied, and the file
// manager shows the folder as if it had no icon.
TEST(BNodeInfo, ValuesThatAreNotIconsFailGetIconAndTrackerIconFallsBack)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	std::string plain = dir.Make("plain", true), folder = dir.Make("folder", true);
	ASSERT_FALSE(TrackerIcon(plain, B_LARGE_ICON).empty());
	for (const Bytes& value : {Stored("ICON", {1, 2, 3}), Stored("ICON", Bytes(1025, 9)),
			 Stored("MICN", Bytes(1024, 9)), Bytes({'I', 'C'})}) {
		ASSERT_TRUE(SetXattr(folder, kLargeIconAttr, value));
		BNode node(folder.c_str());
		BNodeInfo info(&node);
		BBitmap icon(BRect(0, 0, 31, 31), B_CMAP8);
		memset(icon.Bits(), 0xAB, icon.BitsLength());
		EXPECT_NE(info.GetIcon(&icon, B_LARGE_ICON), B_OK) << value.size();
		const uint8* bits = static_cast<const uint8*>(icon.Bits());
		EXPECT_EQ(Bytes(bits, bits + 1024), Bytes(1024, 0xAB)) << value.size();
		EXPECT_EQ(TrackerIcon(folder, B_LARGE_ICON), TrackerIcon(plain, B_LARGE_ICON));
	}
}

TEST(BNodeInfo, WrongBitmapsAndSizesAndUnboundInfosFailAndStoreNothing)
{
	TempDir dir;
	BNode node(dir.Path().c_str()), unset;
	BNodeInfo info(&node), unbound;
	EXPECT_NE(unbound.SetTo(&unset), B_OK);
	BBitmap mini(BRect(0, 0, 15, 15), B_CMAP8);
	BBitmap rgb(BRect(0, 0, 31, 31), B_RGB32);
	EXPECT_EQ(info.SetIcon(&mini, B_LARGE_ICON), B_BAD_VALUE);
	EXPECT_EQ(info.GetIcon(&rgb, B_LARGE_ICON), B_BAD_VALUE);
	EXPECT_EQ(info.GetTrackerIcon(&mini, B_LARGE_ICON), B_BAD_VALUE);
	EXPECT_EQ(info.GetTrackerIcon(&mini, icon_size(24)), B_BAD_VALUE);
	EXPECT_EQ(unbound.SetIcon(&mini, B_MINI_ICON), B_NO_INIT);
	EXPECT_EQ(unbound.GetTrackerIcon(&mini, B_MINI_ICON), B_NO_INIT);
	EXPECT_FALSE(HasXattr(dir.Path(), kLargeIconAttr));
}

// The stored type is another program's bytes too: read back bounded, with or without its NUL.
TEST(BNodeInfo, StoredTypeIsReadBackBounded)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	BNode node(dir.Path().c_str());
	BNodeInfo info(&node);
	for (size_t length : {size_t(10), size_t(1000)}) {
		ASSERT_TRUE(SetXattr(dir.Path(), "user.BEOS:TYPE", Stored("MIMS", Bytes(length, 'a'))));
		char type[B_MIME_TYPE_LENGTH + 8];
		memset(type, 0x55, sizeof(type));
		ASSERT_EQ(info.GetType(type), B_OK);
		EXPECT_EQ(strlen(type), std::min<size_t>(length, B_MIME_TYPE_LENGTH - 1));
		EXPECT_EQ(type[B_MIME_TYPE_LENGTH], 0x55);
	}
}
