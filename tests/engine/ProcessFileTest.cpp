#include <gtest/gtest.h>

#include <Entry.h>
#include <Message.h>

#include <string.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "IconCompositing.h"
#include "ProcessFile.h"
#include "TestSupport.h"

using namespace testing_support;

namespace {

const char* const kLargeAttr = kLargeIconAttr;
const char* const kMiniAttr = kMiniIconAttr;

BMessage RefsMessage(const std::vector<std::string>& paths)
{
	BMessage message(B_SIMPLE_DATA);
	for (const std::string& path : paths) {
		entry_ref ref;
		EXPECT_EQ(get_ref_for_path(path.c_str(), &ref), B_OK) << path;
		message.AddRef("refs", &ref);
	}
	return message;
}

BMessage DropMessage(const std::string& path, int32 operation)
{
	BMessage message = RefsMessage({path});
	message.AddInt32("FileDropID", operation);
	return message;
}

std::string RunProcessFile(BMessage message)
{
	StdoutCapture capture;
	ProcessFile(&message);
	return capture.Finish();
}

// What one Set icon of item over folder should store, from the icons shown before.
void ExpectedIcons(const std::string& item, const std::string& folder, Bytes* large, Bytes* mini)
{
	Bytes itemIcon = TrackerIcon(item, 16);
	*large = TrackerIcon(folder, 32);
	*mini = TrackerIcon(folder, 16);
	ComposeLargeIcon(itemIcon.data(), large->data(), 255);
	ComposeMiniIcon(itemIcon.data(), mini->data(), 255);
}

Bytes Attr(const std::string& path, const char* name)
{
	Bytes value;
	GetXattr(path, name, &value);
	return value;
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

	void ExpectSetIconStores(const std::string& item, const std::string& folder)
	{
		Bytes large, mini;
		ExpectedIcons(item, folder, &large, &mini);
		EXPECT_EQ(RunProcessFile(DropMessage(item, 0)), "");
		EXPECT_EQ(Attr(folder, kLargeAttr), Stored("ICON", large));
		EXPECT_EQ(Attr(folder, kMiniAttr), Stored("MICN", mini));
	}

	TempDir fDir;
	std::string fFolder;
	std::string fFile;
	std::string fSubfolder;
};

}  // namespace

// Each drop draws over what the folder shows, so the overlays pile up.
TEST_F(ProcessFileTest, SetIconWithAFileOrAFolderDrawsItOverTheFolderThatHoldsIt)
{
	std::string tool = fDir.Make("folder/tool");
	chmod(tool.c_str(), 0755);  // an executable: another type icon
	for (const std::string& item : {fFile, fSubfolder, tool}) {
		SCOPED_TRACE(item);
		ExpectSetIconStores(item, fFolder);
		EXPECT_FALSE(HasXattr(item, kLargeAttr));
		EXPECT_FALSE(HasXattr(item, kMiniAttr));
	}
}

// The first ref and the first FileDropID decide: 0 (or none, or one of another type) sets
// the icon, 1 clears it, anything else prints the switch line and changes nothing.
TEST_F(ProcessFileTest, TheFirstRefAndTheFirstFileDropIdDecide)
{
	const char kSwitchLine[] = "ProcessFile a merde dans le switch.\n";
	static const struct {
		int refs;  // 0, 1: the file, 2: the file then one in another folder
		std::vector<int32> ids;
		bool stringId;
		bool setFirst;  // the folder had icons before
		const char* printed;
		bool folderHasIcons;
	} kShapes[] = {
		{1, {}, false, false, "", true},
		{1, {}, true, false, "", true},
		{2, {0}, false, false, "", true},
		{1, {1, 0}, false, true, "", false},
		{1, {0, 1}, false, false, "", true},
		{1, {2}, false, false, kSwitchLine, false},
		{1, {-1}, false, false, kSwitchLine, false},
		{0, {0}, false, false, "", false},
		{0, {1}, false, true, "", true},
	};
	std::string otherFolder = fDir.Make("other", true);
	std::string otherFile = fDir.Make("other/b.txt");
	for (size_t row = 0; row < sizeof(kShapes) / sizeof(kShapes[0]); row++) {
		removexattr(fFolder.c_str(), kLargeAttr);
		removexattr(fFolder.c_str(), kMiniAttr);
		if (kShapes[row].setFirst)
			RunProcessFile(DropMessage(fFile, 0));
		std::vector<std::string> paths;
		if (kShapes[row].refs > 0)
			paths.push_back(fFile);
		if (kShapes[row].refs > 1)
			paths.push_back(otherFile);
		BMessage message = RefsMessage(paths);
		if (kShapes[row].stringId)
			message.AddString("FileDropID", "1");
		for (int32 id : kShapes[row].ids)
			message.AddInt32("FileDropID", id);
		EXPECT_EQ(RunProcessFile(message), kShapes[row].printed) << "row " << row;
		EXPECT_EQ(HasXattr(fFolder, kLargeAttr), kShapes[row].folderHasIcons) << "row " << row;
		EXPECT_EQ(HasXattr(fFolder, kMiniAttr), kShapes[row].folderHasIcons) << "row " << row;
		EXPECT_FALSE(HasXattr(otherFolder, kLargeAttr)) << "row " << row;
	}
}

TEST_F(ProcessFileTest, ClearIconWithAFolderOrAFileRemovesOnlyTheFoldersIconsSilently)
{
	ASSERT_TRUE(SetXattr(fFolder, "user.comment", {'h', 'i'}));
	for (const std::string& dropped : {fFolder, fFile}) {
		EXPECT_EQ(RunProcessFile(DropMessage(dropped, 1)), "") << "without icons: " << dropped;
		RunProcessFile(DropMessage(fFile, 0));
		ASSERT_TRUE(HasXattr(fFolder, kLargeAttr));
		EXPECT_EQ(RunProcessFile(DropMessage(dropped, 1)), "") << dropped;
		EXPECT_FALSE(HasXattr(fFolder, kLargeAttr)) << dropped;
		EXPECT_FALSE(HasXattr(fFolder, kMiniAttr)) << dropped;
	}
	EXPECT_EQ(Attr(fFolder, "user.comment"), (Bytes{'h', 'i'}));
}

TEST_F(ProcessFileTest, EntryThatNoLongerExistsChangesNothingSilently)
{
	BMessage set = DropMessage(fFile, 0);
	BMessage clear = DropMessage(fFile, 1);
	unlink(fFile.c_str());
	EXPECT_EQ(RunProcessFile(set), "");
	EXPECT_EQ(RunProcessFile(clear), "");
	EXPECT_FALSE(HasXattr(fFolder, kLargeAttr));
}

TEST_F(ProcessFileTest, ReplacedEntryWithTheSameNameIsNotTheDroppedOne)
{
	BMessage set = DropMessage(fSubfolder, 0);
	std::filesystem::remove(fSubfolder);
	std::filesystem::rename(fFolder, fDir.Join("moved"));
	std::filesystem::create_directories(fSubfolder);  // a new folder at the old path
	RunProcessFile(set);
	EXPECT_FALSE(HasXattr(fFolder, kLargeAttr));
	EXPECT_FALSE(HasXattr(fDir.Join("moved"), kLargeAttr));
}

// A link sets its own folder's icon, never its target's, and a link to a folder clears
// nothing of that folder.
TEST_F(ProcessFileTest, ALinkIsTheLinkNeverItsTarget)
{
	std::string elsewhere = fDir.Make("elsewhere", true);
	std::string target = fDir.Make("elsewhere/target.txt");
	std::string link = fDir.Join("folder/link");
	ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
	RunProcessFile(DropMessage(link, 0));
	EXPECT_TRUE(HasXattr(fFolder, kLargeAttr));
	EXPECT_FALSE(HasXattr(elsewhere, kLargeAttr));

	std::string folderLink = fDir.Join("link");
	ASSERT_EQ(symlink(fFolder.c_str(), folderLink.c_str()), 0);
	EXPECT_EQ(RunProcessFile(DropMessage(folderLink, 1)), "");
	EXPECT_TRUE(HasXattr(fFolder, kLargeAttr));
	EXPECT_TRUE(HasXattr(fFolder, kMiniAttr));
}

TEST_F(ProcessFileTest, WrongSizedIconWrittenByAnotherProgramIsReplaced)
{
	Bytes shortValue = Stored("ICON", Bytes(100, 7));
	ASSERT_TRUE(SetXattr(fFolder, kLargeAttr, shortValue));
	ASSERT_TRUE(SetXattr(fFolder, kMiniAttr, Stored("ICON", Bytes(256, 7))));  // wrong type
	ExpectSetIconStores(fFile, fFolder);
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
	for (size_t i = 0; i < sizeof(kCases) / sizeof(kCases[0]); i++) {
		TempDir dir;
		SKIP_WITHOUT_XATTRS(dir.Path());
		std::string folder = dir.Make("locked", true);
		std::string file = dir.Make("locked/file");
		chmod(file.c_str(), 0644);
		if (kCases[i].ownIcons) {
			ASSERT_TRUE(SetXattr(folder, kLargeAttr, large));
			ASSERT_TRUE(SetXattr(folder, kMiniAttr, mini));
		}
		chmod(folder.c_str(), kCases[i].mode);
		int status = testing_support::RunUnprivileged(
			[&] { return RunProcessFile(DropMessage(file, 0)) == kCases[i].printed ? 0 : 1; });
		EXPECT_EQ(status, 0) << "case " << i;
		EXPECT_EQ(Attr(folder, kLargeAttr), kCases[i].ownIcons ? large : Bytes()) << "case " << i;
		EXPECT_EQ(Attr(folder, kMiniAttr), kCases[i].ownIcons ? mini : Bytes()) << "case " << i;
	}
}
