// A folder whose attribute space is full: filled with other programs' attributes until the
// file system refuses even one more byte. A Set icon then fails with its fixed lines and
// leaves every attribute as it was, byte for byte; where the folder has own icons already, a
// new icon of the same size may take the old one's place (ext4 frees the old value first),
// and whatever is stored is a whole icon, with nothing else lost. The copies for the file
// managers show only an icon that was stored.
#include <gtest/gtest.h>

#include <string>

#include "FaultSupport.h"
#include "TestSupport.h"

using namespace fault_test;
using testing_support::GetXattr;
using testing_support::RecordFigure;
using testing_support::SetXattr;
using testing_support::TempDir;

namespace {

const uint8_t kFirstColour = 0x23;
const uint8_t kSecondColour = 0x2A;
const char kSetLines[] = "Set large icon failed.\nSet mini icon failed.\n";

Xattrs WithoutIcons(Xattrs all)
{
	all.erase(kLargeAttr);
	all.erase(kMiniAttr);
	return all;
}

class FullAttributeSpace : public ::testing::Test {
protected:
	void SetUp() override
	{
		SKIP_WITHOUT_XATTRS(fDir.Path());
		fFolder = fDir.Make("folder", true);
		fFirst = fDir.Make("folder/first");
		fSecond = fDir.Make("folder/second");
		ASSERT_TRUE(SetXattr(fFirst, kMiniAttr, PlainMiniIcon(kFirstColour)));
		ASSERT_TRUE(SetXattr(fSecond, kMiniAttr, PlainMiniIcon(kSecondColour)));
		ASSERT_TRUE(SetXattr(fFolder, "user.comment", Bytes{'k', 'e', 'e', 'p'}));
	}

	// Fills the folder's space; the full set of its attributes afterwards. With a figure
	// name, records how many values filled it and how many bytes names and values then take.
	Xattrs Fill(const std::string& figure = "")
	{
		int fillers = FillAttributeSpace(fFolder);
		EXPECT_GT(fillers, 0);
		size_t bytes = 0;
		Xattrs all = AllXattrs(fFolder);
		for (const auto& [name, value] : all)
			bytes += name.size() + value.size();
		if (!figure.empty()) {
			RecordFigure(figure + ".fillers", fillers);
			RecordFigure(figure + ".bytes", (long long)bytes);
		}
		EXPECT_FALSE(SetXattr(fFolder, "user.probe", PlainLargeIcon(0))) << "not full";
		return all;
	}

	// Gives the folder own icons (and their image) by a Set icon of the first item.
	void SetFirstIcon()
	{
		ASSERT_EQ(fWindow.DropPath(kSetBox, fFirst), "");
		Bytes large;
		ASSERT_TRUE(GetXattr(fFolder, kLargeAttr, &large));
		ASSERT_EQ(large.size(), 4u + 32 * 32);
		ASSERT_FALSE(FolderImage(fFolder).empty());
	}

	TempDir fDir;
	FaultWindow fWindow;
	std::string fFolder, fFirst, fSecond;
};

}  // namespace

TEST_F(FullAttributeSpace, WithoutOwnIconsSetIconIsRefusedWithItsLinesAndNothingChanges)
{
	Xattrs before = Fill("fault.xattr_full");
	std::string printed = fWindow.DropPath(kSetBox, fFirst);
	EXPECT_EQ(printed, kSetLines);
	EXPECT_TRUE(AllXattrs(fFolder) == before) << "an attribute changed";
	EXPECT_EQ(FolderImage(fFolder), "") << "an image published for a refused Set icon";
	EXPECT_EQ(ReadFile(fFolder + "/.directory"), "");
	RecordFigure("fault.xattr_full.set.outcome", printed == kSetLines ? "refused" : "stored");

	EXPECT_EQ(fWindow.DropPath(kClearBox, fFirst), "") << "Clear icon with nothing to remove";
	EXPECT_TRUE(AllXattrs(fFolder) == before) << "an attribute changed";
	RecordFigure("fault.xattr_full.clear.outcome", "nothing_to_remove");
}

TEST_F(FullAttributeSpace, WithOwnIconsSetIconStoresWholeIconsAndClearRemovesOnlyThem)
{
	SetFirstIcon();
	Xattrs before = Fill("fault.xattr_full_own_icons");
	Bytes large, mini;
	ComposedIcons(Bytes(256, kSecondColour),
		Bytes(before[kLargeAttr].begin() + 4, before[kLargeAttr].end()),
		Bytes(before[kMiniAttr].begin() + 4, before[kMiniAttr].end()), &large, &mini);

	std::string printed = fWindow.DropPath(kSetBox, fSecond);
	Xattrs after = AllXattrs(fFolder);
	bool largeNew = after[kLargeAttr] == Stored("ICON", large);
	bool miniNew = after[kMiniAttr] == Stored("MICN", mini);
	EXPECT_TRUE(largeNew || after[kLargeAttr] == before[kLargeAttr]);
	EXPECT_TRUE(miniNew || after[kMiniAttr] == before[kMiniAttr]);
	EXPECT_EQ(printed,
		std::string(largeNew ? "" : "Set large icon failed.\n")
			+ (miniNew ? "" : "Set mini icon failed.\n"));
	EXPECT_TRUE(WithoutIcons(after) == WithoutIcons(before)) << "another attribute changed";
	EXPECT_EQ(FolderImage(fFolder), ImageForStoredIcon(after[kLargeAttr]))
		<< "the image for the file managers is not the stored icon";
	RecordFigure("fault.xattr_full_own_icons.set.outcome",
		largeNew && miniNew         ? "replaced"
			: !largeNew && !miniNew ? "refused"
									: "one_replaced");

	EXPECT_EQ(fWindow.DropPath(kClearBox, fFirst), "");
	EXPECT_TRUE(AllXattrs(fFolder) == WithoutIcons(before)) << "not exactly the icons went";
	EXPECT_EQ(FolderImage(fFolder), "");
	RecordFigure("fault.xattr_full_own_icons.clear.outcome", "removed");
}
