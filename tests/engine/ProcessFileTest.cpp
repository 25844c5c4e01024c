#include <gtest/gtest.h>

#include <Message.h>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <vector>

#include "ProcessFile.h"
#include "TestSupport.h"
#include "TestWindow.h"

using namespace testing_support;

namespace {

// A drop of these entries, with these FileDropID values.
BMessage Drop(const std::vector<std::string>& paths, const std::vector<int32>& ids = {0})
{
	BMessage message = DragFromPaths(paths);
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

// A folder with a file in it, in a fresh folder.
struct Tree {
	TempDir dir;
	std::string folder = dir.Make("folder", true), file = dir.Make("folder/file.txt");
};

}  // namespace

// The first ref and the first FileDropID decide: 0 (or none, or one of another type) sets
// the icon of the folder that holds the entry, 1 clears that of a folder itself or of the
// one that holds a file, silently and leaving other attributes; anything else prints the
// switch line and changes nothing. A link is the link, never its target.
TEST(ProcessFile, TheFirstRefAndTheFirstFileDropIdDecide)
{
	Tree t;
	SKIP_WITHOUT_XATTRS(t.dir.Path());
	const char kSwitchLine[] = "ProcessFile a merde dans le switch.\n";
	std::string otherFolder = t.dir.Make("other", true);
	std::string otherFile = t.dir.Make("other/b.txt");
	std::string linkToOtherFile = t.dir.Join("folder/link"), linkToFolder = t.dir.Join("link");
	ASSERT_EQ(symlink(otherFile.c_str(), linkToOtherFile.c_str()), 0);
	ASSERT_EQ(symlink(t.folder.c_str(), linkToFolder.c_str()), 0);
	const struct {
		std::vector<std::string> refs;
		std::vector<int32> ids;
		bool stringId;
		bool setFirst;  // the folder had icons before
		const char* printed;
		bool folderHasIcons;
	} kShapes[] = {
		{{t.file}, {}, false, false, "", true},
		{{t.file}, {}, true, false, "", true},
		{{t.file, otherFile}, {0}, false, false, "", true},
		{{t.file}, {1, 0}, false, true, "", false},
		{{t.file}, {0, 1}, false, false, "", true},
		{{t.file}, {2}, false, false, kSwitchLine, false},
		{{}, {0}, false, false, "", false},
		{{}, {1}, false, true, "", true},
		{{t.file}, {1}, false, false, "", false},
		{{t.folder}, {1}, false, true, "", false},
		{{linkToOtherFile}, {0}, false, false, "", true},
		{{linkToFolder}, {1}, false, true, "", true},
	};
	ASSERT_TRUE(SetXattr(t.folder, "user.comment", {'h', 'i'}));
	for (size_t row = 0; row < std::size(kShapes); row++) {
		removexattr(t.folder.c_str(), kLargeIconAttr);
		removexattr(t.folder.c_str(), kMiniIconAttr);
		if (kShapes[row].setFirst)
			Process(Drop({t.file}));
		BMessage message = Drop(kShapes[row].refs, kShapes[row].ids);
		if (kShapes[row].stringId)
			message.AddString("FileDropID", "1");
		EXPECT_EQ(Process(message), kShapes[row].printed) << "row " << row;
		EXPECT_EQ(IconCount(t.folder), kShapes[row].folderHasIcons ? 2 : 0) << "row " << row;
		EXPECT_EQ(IconCount(otherFolder) + IconCount(t.dir.Path()), 0) << "row " << row;
	}
	EXPECT_EQ(Attr(t.folder, "user.comment"), (Bytes{'h', 'i'}));
}

// As nobody, on a folder that root owns and that it may write but not read: the folder's
// icons cannot be read, and an icon that cannot be read is never taken for none and drawn
// over; the drop stops before writing anything. (Refused stores are the reliability
// tests' Unprivileged cases; entries gone or replaced before the drop, their DropRace.)
TEST(ProcessFile, UnreadableIconsAreNeverDrawnOver)
{
	Tree t;
	SKIP_WITHOUT_XATTRS(t.dir.Path());
	if (geteuid() != 0)
		GTEST_SKIP() << "needs root to own a folder that the unprivileged child cannot read";
	const Bytes large = Stored("ICON", Bytes(1024, 0x40));
	const Bytes mini = Stored("MICN", Bytes(256, 0x41));
	ASSERT_TRUE(SetXattr(t.folder, kLargeIconAttr, large));
	ASSERT_TRUE(SetXattr(t.folder, kMiniIconAttr, mini));
	chmod(t.file.c_str(), 0644);
	chmod(t.folder.c_str(), 0733);
	EXPECT_EQ(RunUnprivileged([&] { return Process(Drop({t.file})) == "" ? 0 : 1; }), 0);
	EXPECT_EQ(Attr(t.folder, kLargeIconAttr), large);
	EXPECT_EQ(Attr(t.folder, kMiniIconAttr), mini);
}
