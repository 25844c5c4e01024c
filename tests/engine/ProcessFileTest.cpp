#include <gtest/gtest.h>

#include <Bitmap.h>
#include <Entry.h>
#include <Message.h>
#include <Node.h>
#include <NodeInfo.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "IconCompositing.h"
#include "ProcessFile.h"
#include "TestSupport.h"

using testing_support::GetXattr;
using testing_support::HasXattr;
using testing_support::SetXattr;
using testing_support::StdoutCapture;
using testing_support::TempDir;

namespace {

const char* kLargeAttr = "user.BEOS:L:STD_ICON";
const char* kMiniAttr = "user.BEOS:M:STD_ICON";
typedef std::vector<uint8_t> Bytes;

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

Bytes TrackerIcon(const std::string& path, icon_size size)
{
	BNode node(path.c_str());
	BNodeInfo info(&node);
	BBitmap icon(BRect(0, 0, size - 1, size - 1), B_CMAP8);
	EXPECT_EQ(info.GetTrackerIcon(&icon, size), B_OK) << path;
	const uint8* bits = static_cast<const uint8*>(icon.Bits());
	return Bytes(bits, bits + size * size);
}

// The attribute's value as stored: the type code, most significant byte first, then data.
Bytes Stored(const char* type, const Bytes& data)
{
	Bytes value(4 + data.size());
	std::copy(type, type + 4, value.begin());
	std::copy(data.begin(), data.end(), value.begin() + 4);
	return value;
}

// What one Set icon of item over folder should store, from the icons shown before.
void ExpectedIcons(const std::string& item, const std::string& folder, Bytes* large,
	Bytes* mini)
{
	Bytes itemIcon = TrackerIcon(item, B_MINI_ICON);
	*large = TrackerIcon(folder, B_LARGE_ICON);
	*mini = TrackerIcon(folder, B_MINI_ICON);
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

TEST_F(ProcessFileTest, SetIconWithAFileStoresTheComposedIconsOnItsFolder)
{
	ExpectSetIconStores(fFile, fFolder);
	EXPECT_FALSE(HasXattr(fFile, kLargeAttr));
	EXPECT_FALSE(HasXattr(fFile, kMiniAttr));
}

TEST_F(ProcessFileTest, SetIconWithAFolderDrawsItOverTheFolderThatHoldsIt)
{
	ExpectSetIconStores(fSubfolder, fFolder);
	EXPECT_FALSE(HasXattr(fSubfolder, kLargeAttr));
}

TEST_F(ProcessFileTest, StoredIconsReadBackThroughNodeInfo)
{
	Bytes large, mini;
	ExpectedIcons(fFile, fFolder, &large, &mini);
	RunProcessFile(DropMessage(fFile, 0));

	BNode node(fFolder.c_str());
	BNodeInfo info(&node);
	BBitmap icon(BRect(0, 0, 31, 31), B_CMAP8);
	ASSERT_EQ(info.GetIcon(&icon, B_LARGE_ICON), B_OK);
	EXPECT_EQ(Bytes((uint8*)icon.Bits(), (uint8*)icon.Bits() + 1024), large);
	BBitmap miniIcon(BRect(0, 0, 15, 15), B_CMAP8);
	ASSERT_EQ(info.GetIcon(&miniIcon, B_MINI_ICON), B_OK);
	EXPECT_EQ(Bytes((uint8*)miniIcon.Bits(), (uint8*)miniIcon.Bits() + 256), mini);
}

TEST_F(ProcessFileTest, OverlaysPileUpOverTwoDrops)
{
	std::string other = fDir.Make("folder/tool");
	chmod(other.c_str(), 0755);  // an executable: another type icon
	RunProcessFile(DropMessage(fFile, 0));
	ExpectSetIconStores(other, fFolder);
}

TEST_F(ProcessFileTest, MissingFileDropIdIsSetIcon)
{
	Bytes large, mini;
	ExpectedIcons(fFile, fFolder, &large, &mini);
	EXPECT_EQ(RunProcessFile(RefsMessage({fFile})), "");
	EXPECT_EQ(Attr(fFolder, kLargeAttr), Stored("ICON", large));
}

TEST_F(ProcessFileTest, FileDropIdOfAnotherTypeIsSetIcon)
{
	BMessage message = RefsMessage({fFile});
	message.AddString("FileDropID", "1");
	RunProcessFile(message);
	EXPECT_TRUE(HasXattr(fFolder, kLargeAttr));
}

TEST_F(ProcessFileTest, OnlyTheFirstReferenceIsUsed)
{
	std::string otherFolder = fDir.Make("other", true);
	std::string otherFile = fDir.Make("other/b.txt");
	RunProcessFile(RefsMessage({fFile, otherFile}));
	EXPECT_TRUE(HasXattr(fFolder, kLargeAttr));
	EXPECT_FALSE(HasXattr(otherFolder, kLargeAttr));
}

TEST_F(ProcessFileTest, OnlyTheFirstFileDropIdIsUsed)
{
	RunProcessFile(DropMessage(fFile, 0));
	BMessage message = DropMessage(fFile, 1);
	message.AddInt32("FileDropID", 0);
	RunProcessFile(message);
	EXPECT_FALSE(HasXattr(fFolder, kLargeAttr));
}

TEST_F(ProcessFileTest, UnknownOperationPrintsTheSwitchLineOnceAndChangesNothing)
{
	for (int32 operation : {2, -1}) {
		EXPECT_EQ(RunProcessFile(DropMessage(fFile, operation)), "ProcessFile a merde dans le switch.\n");
		EXPECT_FALSE(HasXattr(fFolder, kLargeAttr));
		EXPECT_FALSE(HasXattr(fFolder, kMiniAttr));
	}
}

TEST_F(ProcessFileTest, ClearIconWithAFolderRemovesItsOwnIcons)
{
	RunProcessFile(DropMessage(fFile, 0));
	ASSERT_TRUE(HasXattr(fFolder, kLargeAttr));
	EXPECT_EQ(RunProcessFile(DropMessage(fFolder, 1)), "");
	EXPECT_FALSE(HasXattr(fFolder, kLargeAttr));
	EXPECT_FALSE(HasXattr(fFolder, kMiniAttr));
}

TEST_F(ProcessFileTest, ClearIconWithAFileRemovesItsFoldersIcons)
{
	RunProcessFile(DropMessage(fFile, 0));
	EXPECT_EQ(RunProcessFile(DropMessage(fFile, 1)), "");
	EXPECT_FALSE(HasXattr(fFolder, kLargeAttr));
	EXPECT_FALSE(HasXattr(fFolder, kMiniAttr));
}

TEST_F(ProcessFileTest, ClearIconOnAFolderWithoutIconsPrintsNothing)
{
	EXPECT_EQ(RunProcessFile(DropMessage(fFolder, 1)), "");
	EXPECT_EQ(RunProcessFile(DropMessage(fFile, 1)), "");
}

TEST_F(ProcessFileTest, ClearIconKeepsOtherAttributes)
{
	ASSERT_TRUE(SetXattr(fFolder, "user.comment", {'h', 'i'}));
	RunProcessFile(DropMessage(fFile, 0));
	RunProcessFile(DropMessage(fFolder, 1));
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

TEST_F(ProcessFileTest, MessageWithoutRefsDoesNothing)
{
	for (int32 operation : {0, 1}) {
		BMessage message(B_SIMPLE_DATA);
		message.AddInt32("FileDropID", operation);
		EXPECT_EQ(RunProcessFile(message), "") << "operation " << operation;
	}
}

TEST_F(ProcessFileTest, SymbolicLinkSetsItsOwnFoldersIconNeverItsTargets)
{
	std::string elsewhere = fDir.Make("elsewhere", true);
	std::string target = fDir.Make("elsewhere/target.txt");
	std::string link = fDir.Join("folder/link");
	ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
	RunProcessFile(DropMessage(link, 0));
	EXPECT_TRUE(HasXattr(fFolder, kLargeAttr));
	EXPECT_FALSE(HasXattr(elsewhere, kLargeAttr));
}

TEST_F(ProcessFileTest, WrongSizedIconWrittenByAnotherProgramIsReplaced)
{
	Bytes shortValue = Stored("ICON", Bytes(100, 7));
	ASSERT_TRUE(SetXattr(fFolder, kLargeAttr, shortValue));
	ASSERT_TRUE(SetXattr(fFolder, kMiniAttr, Stored("ICON", Bytes(256, 7))));  // wrong type
	ExpectSetIconStores(fFile, fFolder);
}

TEST(ProcessFileFailures, FolderThatRefusesAttributesPrintsBothSetLines)
{
	for (const char* path : {"/proc/self/status", "/sys/kernel/notes"}) {
		if (access(path, F_OK) != 0)
			continue;
		std::string out = RunProcessFile(DropMessage(path, 0));
		EXPECT_EQ(out, "Set large icon failed.\nSet mini icon failed.\n") << path;
	}
}

TEST(ProcessFileFailures, ClearIconOnAFolderThatRefusesAttributesPrintsBothClearLines)
{
	std::string out = RunProcessFile(DropMessage("/sys/kernel", 1));
	EXPECT_EQ(out, "Merdoiement au clear du large icon.\nMerdoiement au clear du mini icon.\n");
}

TEST(ProcessFileFailures, PermissionErrorsPrintTheFailureLinesAndStoreNothing)
{
	if (geteuid() != 0)
		GTEST_SKIP() << "needs root to own a folder that the unprivileged child cannot change";
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	std::string folder = dir.Make("locked", true);
	std::string file = dir.Make("locked/file");
	chmod(folder.c_str(), 0755);
	chmod(file.c_str(), 0644);

	int status = testing_support::RunUnprivileged([&] {
		StdoutCapture capture;
		BMessage set = DropMessage(file, 0);
		ProcessFile(&set);
		std::string out = capture.Finish();
		return out == "Set large icon failed.\nSet mini icon failed.\n" ? 0 : 1;
	});
	EXPECT_EQ(status, 0);
	EXPECT_FALSE(HasXattr(folder, kLargeAttr));
}
