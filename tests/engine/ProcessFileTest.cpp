#include <gtest/gtest.h>

#include <Entry.h>
#include <Message.h>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <vector>

#include "IconCompositing.h"
#include "ProcessFile.h"
#include "TestSupport.h"

using namespace testing_support;

namespace {

// A drop of these entries, with these FileDropID values.
BMessage Drop(const std::vector<std::string>& paths, const std::vector<int32>& ids = {0})
{
	BMessage message(B_SIMPLE_DATA);
	for (const std::string& path : paths) {
		entry_ref ref;
		EXPECT_EQ(get_ref_for_path(path.c_str(), &ref), B_OK) << path;
		message.AddRef("refs", &ref);
	}
	for (int32 id : ids)
		message.AddInt32("FileDropID", id);
	return message;
}

// Runs ProcessFile on the message; what it printed.
std::string Process(BMessage message)
{
	StdoutCapture capture;
	ProcessFile(&message);
	return capture.Finish();
}

Bytes Attr(const std::string& path, const char* name)
{
	Bytes value;
	GetXattr(path, name, &value);
	return value;
}

int IconCount(const std::string& path)
{
	return HasXattr(path, kLargeIconAttr) + HasXattr(path, kMiniIconAttr);
}

class ProcessFileTest : public ::testing::Test {
protected:
	void SetUp() override
	{
		SKIP_WITHOUT_XATTRS(fDir.Path());
		fFolder = fDir.Make("folder", true);
		fFile = fDir.Make("folder/file.txt");
	}

	TempDir fDir;
	std::string fFolder;
	std::string fFile;
};

}  // namespace

// Each drop draws the item's mini icon over what the folder shows, so the overlays pile
// up; icons of the wrong size or type that another program wrote count as none.
TEST_F(ProcessFileTest, SetIconWithAFileOrAFolderDrawsItOverTheFolderThatHoldsIt)
{
	ASSERT_TRUE(SetXattr(fFolder, kLargeIconAttr, Stored("ICON", Bytes(100, 7))));
	ASSERT_TRUE(SetXattr(fFolder, kMiniIconAttr, Stored("ICON", Bytes(256, 7))));
	std::string tool = fDir.Make("folder/tool");
	chmod(tool.c_str(), 0755);  // an executable: another type icon
	for (const std::string& item : {fFile, fDir.Make("folder/sub", true), tool}) {
		Bytes itemIcon = TrackerIcon(item, 16);
		Bytes large = TrackerIcon(fFolder, 32);
		Bytes mini = TrackerIcon(fFolder, 16);
		ComposeLargeIcon(itemIcon.data(), large.data(), 255);
		ComposeMiniIcon(itemIcon.data(), mini.data(), 255);
		EXPECT_EQ(Process(Drop({item})), "") << item;
		EXPECT_EQ(Attr(fFolder, kLargeIconAttr), Stored("ICON", large)) << item;
		EXPECT_EQ(Attr(fFolder, kMiniIconAttr), Stored("MICN", mini)) << item;
		EXPECT_EQ(IconCount(item), 0) << item;
	}
}

// The first ref and the first FileDropID decide: 0 (or none, or one of another type) sets
// the icon of the folder that holds the entry, 1 clears that of a folder itself or of the
// one that holds a file, silently and leaving other attributes; anything else prints the
// switch line and changes nothing. A link is the link, never its target.
TEST_F(ProcessFileTest, TheFirstRefAndTheFirstFileDropIdDecide)
{
	const char kSwitchLine[] = "ProcessFile a merde dans le switch.\n";
	std::string otherFolder = fDir.Make("other", true);
	std::string otherFile = fDir.Make("other/b.txt");
	std::string linkToOtherFile = fDir.Join("folder/link"), linkToFolder = fDir.Join("link");
	ASSERT_EQ(symlink(otherFile.c_str(), linkToOtherFile.c_str()), 0);
	ASSERT_EQ(symlink(fFolder.c_str(), linkToFolder.c_str()), 0);
	const struct {
		std::vector<std::string> refs;
		std::vector<int32> ids;
		bool stringId;
		bool setFirst;  // the folder had icons before
		const char* printed;
		bool folderHasIcons;
	} kShapes[] = {
		{{fFile}, {}, false, false, "", true},
		{{fFile}, {}, true, false, "", true},
		{{fFile, otherFile}, {0}, false, false, "", true},
		{{fFile}, {1, 0}, false, true, "", false},
		{{fFile}, {0, 1}, false, false, "", true},
		{{fFile}, {2}, false, false, kSwitchLine, false},
		{{fFile}, {-1}, false, false, kSwitchLine, false},
		{{}, {0}, false, false, "", false},
		{{}, {1}, false, true, "", true},
		{{fFile}, {1}, false, false, "", false},
		{{fFolder}, {1}, false, false, "", false},
		{{fFolder}, {1}, false, true, "", false},
		{{linkToOtherFile}, {0}, false, false, "", true},
		{{linkToFolder}, {1}, false, true, "", true},
	};
	ASSERT_TRUE(SetXattr(fFolder, "user.comment", {'h', 'i'}));
	for (size_t row = 0; row < std::size(kShapes); row++) {
		removexattr(fFolder.c_str(), kLargeIconAttr);
		removexattr(fFolder.c_str(), kMiniIconAttr);
		if (kShapes[row].setFirst)
			Process(Drop({fFile}));
		BMessage message = Drop(kShapes[row].refs, kShapes[row].ids);
		if (kShapes[row].stringId)
			message.AddString("FileDropID", "1");
		EXPECT_EQ(Process(message), kShapes[row].printed) << "row " << row;
		EXPECT_EQ(IconCount(fFolder), kShapes[row].folderHasIcons ? 2 : 0) << "row " << row;
		EXPECT_EQ(IconCount(otherFolder) + IconCount(fDir.Path()), 0) << "row " << row;
	}
	EXPECT_EQ(Attr(fFolder, "user.comment"), (Bytes{'h', 'i'}));
}

// As nobody, on a folder that root owns and that it may write but not read: the folder's
// icons cannot be read, and an icon that cannot be read is never taken for none and drawn
// over; the drop stops before writing anything. (Refused stores are the reliability
// tests' Unprivileged cases; entries gone or replaced before the drop, their DropRace.)
TEST_F(ProcessFileTest, UnreadableIconsAreNeverDrawnOver)
{
	if (geteuid() != 0)
		GTEST_SKIP() << "needs root to own a folder that the unprivileged child cannot read";
	const Bytes large = Stored("ICON", Bytes(1024, 0x40));
	const Bytes mini = Stored("MICN", Bytes(256, 0x41));
	ASSERT_TRUE(SetXattr(fFolder, kLargeIconAttr, large));
	ASSERT_TRUE(SetXattr(fFolder, kMiniIconAttr, mini));
	chmod(fFile.c_str(), 0644);
	chmod(fFolder.c_str(), 0733);
	EXPECT_EQ(RunUnprivileged([&] { return Process(Drop({fFile})) == "" ? 0 : 1; }), 0);
	EXPECT_EQ(Attr(fFolder, kLargeIconAttr), large);
	EXPECT_EQ(Attr(fFolder, kMiniIconAttr), mini);
}
