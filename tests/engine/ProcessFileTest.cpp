#include <gtest/gtest.h>

#include <Entry.h>
#include <Message.h>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
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
		fSubfolder = fDir.Make("folder/sub", true);
	}

	TempDir fDir;
	std::string fFolder;
	std::string fFile;
	std::string fSubfolder;
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
	for (const std::string& item : {fFile, fSubfolder, tool}) {
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
	enum {
		kFile,
		kOtherFile,
		kFolder,
		kLinkToOtherFile,
		kLinkToFolder
	};
	static const struct {
		std::vector<int> refs;
		std::vector<int32> ids;
		bool stringId;
		bool setFirst;  // the folder had icons before
		const char* printed;
		bool folderHasIcons;
	} kShapes[] = {
		{{kFile}, {}, false, false, "", true},
		{{kFile}, {}, true, false, "", true},
		{{kFile, kOtherFile}, {0}, false, false, "", true},
		{{kFile}, {1, 0}, false, true, "", false},
		{{kFile}, {0, 1}, false, false, "", true},
		{{kFile}, {2}, false, false, kSwitchLine, false},
		{{kFile}, {-1}, false, false, kSwitchLine, false},
		{{}, {0}, false, false, "", false},
		{{}, {1}, false, true, "", true},
		{{kFile}, {1}, false, false, "", false},
		{{kFolder}, {1}, false, false, "", false},
		{{kFolder}, {1}, false, true, "", false},
		{{kLinkToOtherFile}, {0}, false, false, "", true},
		{{kLinkToFolder}, {1}, false, true, "", true},
	};
	std::string otherFolder = fDir.Make("other", true);
	const std::string paths[] = {
		fFile, fDir.Make("other/b.txt"), fFolder, fDir.Join("folder/link"), fDir.Join("link")};
	ASSERT_EQ(symlink(paths[kOtherFile].c_str(), paths[kLinkToOtherFile].c_str()), 0);
	ASSERT_EQ(symlink(fFolder.c_str(), paths[kLinkToFolder].c_str()), 0);
	ASSERT_TRUE(SetXattr(fFolder, "user.comment", {'h', 'i'}));
	for (size_t row = 0; row < std::size(kShapes); row++) {
		removexattr(fFolder.c_str(), kLargeIconAttr);
		removexattr(fFolder.c_str(), kMiniIconAttr);
		if (kShapes[row].setFirst)
			Process(Drop({fFile}));
		std::vector<std::string> dropped;
		for (int ref : kShapes[row].refs)
			dropped.push_back(paths[ref]);
		BMessage message = Drop(dropped, kShapes[row].ids);
		if (kShapes[row].stringId)
			message.AddString("FileDropID", "1");
		EXPECT_EQ(Process(message), kShapes[row].printed) << "row " << row;
		EXPECT_EQ(IconCount(fFolder), kShapes[row].folderHasIcons ? 2 : 0) << "row " << row;
		EXPECT_EQ(IconCount(otherFolder) + IconCount(fDir.Path()), 0) << "row " << row;
	}
	EXPECT_EQ(Attr(fFolder, "user.comment"), (Bytes{'h', 'i'}));
}

// An entry that is gone, or another one at its path, is not the dropped one.
TEST_F(ProcessFileTest, DroppedEntryThatIsGoneOrReplacedChangesNothingSilently)
{
	BMessage set = Drop({fFile});
	BMessage clear = Drop({fFile}, {1});
	BMessage setFromSubfolder = Drop({fSubfolder});
	unlink(fFile.c_str());
	EXPECT_EQ(Process(set), "");
	EXPECT_EQ(Process(clear), "");
	std::filesystem::remove(fSubfolder);
	std::filesystem::rename(fFolder, fDir.Join("moved"));
	std::filesystem::create_directories(fSubfolder);  // a new folder at the old path
	Process(setFromSubfolder);
	EXPECT_EQ(IconCount(fFolder), 0);
	EXPECT_EQ(IconCount(fDir.Join("moved")), 0);
}

// As nobody, on a folder that root owns. One it may only search refuses the stores; one it
// may write but not read hides its own icons, and an icon that cannot be read is never
// taken for none and drawn over: the drop stops before writing anything.
TEST(ProcessFileFailures, PermissionErrorsStoreNothing)
{
	if (geteuid() != 0)
		GTEST_SKIP() << "needs root to own a folder that the unprivileged child cannot change";
	static const struct {
		mode_t mode;
		bool ownIcons;
		const char* printed;
	} kCases[] = {
		{0755, false, "Set large icon failed.\nSet mini icon failed.\n"},
		{0733, true, ""},
	};
	const Bytes large = Stored("ICON", Bytes(1024, 0x40));
	const Bytes mini = Stored("MICN", Bytes(256, 0x41));
	for (size_t i = 0; i < std::size(kCases); i++) {
		TempDir dir;
		SKIP_WITHOUT_XATTRS(dir.Path());
		std::string folder = dir.Make("locked", true);
		std::string file = dir.Make("locked/file");
		chmod(file.c_str(), 0644);
		if (kCases[i].ownIcons) {
			ASSERT_TRUE(SetXattr(folder, kLargeIconAttr, large));
			ASSERT_TRUE(SetXattr(folder, kMiniIconAttr, mini));
		}
		chmod(folder.c_str(), kCases[i].mode);
		int status =
			RunUnprivileged([&] { return Process(Drop({file})) == kCases[i].printed ? 0 : 1; });
		EXPECT_EQ(status, 0) << "case " << i;
		EXPECT_EQ(Attr(folder, kLargeIconAttr), kCases[i].ownIcons ? large : Bytes())
			<< "case " << i;
		EXPECT_EQ(Attr(folder, kMiniIconAttr), kCases[i].ownIcons ? mini : Bytes()) << "case " << i;
	}
}
