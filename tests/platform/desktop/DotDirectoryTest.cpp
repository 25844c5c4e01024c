#include <gtest/gtest.h>

#include <string>

#include "desktop/DotDirectory.h"
#include "desktop/ImageNames.h"

using platform::DotDirectory;

namespace {

const char kOurs[] = "./.vellumark-icon.png";

std::string
Set(const std::string& text, bool created = false)
{
	DotDirectory entry(text);
	entry.SetIcon(kOurs, created, platform::IsFolderIconDirectoryValue);
	return entry.Text();
}

std::string
Withdraw(const std::string& text, bool* remove = NULL)
{
	DotDirectory entry(text);
	bool gone = entry.WithdrawIcon(platform::IsFolderIconDirectoryValue);
	if (remove != NULL)
		*remove = gone;
	return entry.Text();
}

}  // namespace

TEST(DotDirectory, NewFileGetsTheGroupAndGoesAgainOnWithdrawal)
{
	std::string made = Set("", true);
	EXPECT_EQ(made, "[Desktop Entry]\nIcon=./.vellumark-icon.png\nX-Vellumark-Created=file\n");
	bool remove = false;
	Withdraw(made, &remove);
	EXPECT_TRUE(remove);
}

TEST(DotDirectory, SettingKeepsEveryOtherLineAndWithdrawalRestoresTheFileExactly)
{
	const std::string original =
		"# made by hand\r\n[Dolphin]\r\nViewMode=1\r\n\r\n[Desktop Entry]\r\nIcon[de]=ordner\r\n"
		"Comment=Caf\xc3\xa9 \xff\xfe bytes\r\n[Other]\r\nIcon=not-this-one";
	std::string set = Set(original);
	EXPECT_EQ(set,
		"# made by hand\r\n[Dolphin]\r\nViewMode=1\r\n\r\n[Desktop Entry]\r\n"
		"Icon=./.vellumark-icon.png\r\nIcon[de]=ordner\r\nComment=Caf\xc3\xa9 \xff\xfe bytes\r\n"
		"[Other]\r\nIcon=not-this-one");
	EXPECT_EQ(Set(set), set) << "setting twice changes nothing";
	bool remove = true;
	EXPECT_EQ(Withdraw(set, &remove), original);
	EXPECT_FALSE(remove);
}

TEST(DotDirectory, AnotherProgramsIconIsKeptAsideAndComesBack)
{
	const std::string original = "[Desktop Entry]\nIcon = folder-red \nType=Directory\n";
	std::string set = Set(original);
	EXPECT_EQ(set, "[Desktop Entry]\nIcon=./.vellumark-icon.png\n"
		"X-Vellumark-Replaced-Icon=Icon = folder-red \nType=Directory\n");
	EXPECT_EQ(Set(set), set);
	EXPECT_EQ(Withdraw(set), original);
}

TEST(DotDirectory, FileWithoutTheGroupGetsOneThatGoesAgain)
{
	const std::string original = "[Dolphin]\nTimestamp=2024,1,1";
	std::string set = Set(original);
	EXPECT_EQ(set, "[Dolphin]\nTimestamp=2024,1,1\n[Desktop Entry]\n"
		"Icon=./.vellumark-icon.png\nX-Vellumark-Created=group\n");
	bool remove = true;
	EXPECT_EQ(Withdraw(set, &remove), "[Dolphin]\nTimestamp=2024,1,1\n");
	EXPECT_FALSE(remove) << "the file was there before";
}

TEST(DotDirectory, LinesAddedAfterALastLineWithoutItsEndStartALineOfTheirOwn)
{
	// Found by fuzz_dotdirectory: the new line ran on after the header.
	EXPECT_EQ(Set("[Desktop Entry]"), "[Desktop Entry]\nIcon=./.vellumark-icon.png\n");
	const std::string original = "[Desktop Entry]\r\nIcon=folder-red";
	std::string set = Set(original);
	EXPECT_EQ(set, "[Desktop Entry]\r\nIcon=./.vellumark-icon.png\r\n"
		"X-Vellumark-Replaced-Icon=Icon=folder-red\r\n");
	EXPECT_EQ(Withdraw(set), "[Desktop Entry]\r\nIcon=folder-red\r\n");
}

TEST(DotDirectory, AnIconLineEndingInACarriageReturnComesBackWithIt)
{
	// Found by fuzz_dotdirectory: kept aside before "\n", the "\r" read back as a line end.
	const std::string original = "[Desktop Entry]\nIcon=folder-red\r\r\n";
	std::string set = Set(original);
	EXPECT_EQ(set, "[Desktop Entry]\nIcon=./.vellumark-icon.png\r\n"
		"X-Vellumark-Replaced-Icon=Icon=folder-red\r\r\n");
	EXPECT_EQ(Withdraw(set), original);
}

TEST(DotDirectory, WithdrawalLeavesAnIconThatIsNotOurs)
{
	std::string set = Set("", true);
	// The user chose another icon in Dolphin since, and Dolphin added its own group.
	std::string changed = "[Desktop Entry]\nIcon=folder-blue\nX-Vellumark-Created=file\n"
		"[Dolphin]\nViewMode=2\n";
	bool remove = true;
	EXPECT_EQ(Withdraw(changed, &remove), "[Desktop Entry]\nIcon=folder-blue\n[Dolphin]\n"
		"ViewMode=2\n");
	EXPECT_FALSE(remove);
	EXPECT_EQ(Withdraw("[Desktop Entry]\nIcon=folder\n"), "[Desktop Entry]\nIcon=folder\n");
}

TEST(DotDirectory, TextWithNulBytesIsNotEditable)
{
	EXPECT_FALSE(DotDirectory::IsEditable(std::string("\xff\xfe[\0D\0", 6)));
	EXPECT_TRUE(DotDirectory::IsEditable("\xef\xbb\xbf[Desktop Entry]\n"));
	EXPECT_EQ(Set("\xef\xbb\xbf[Desktop Entry]\n"),
		"\xef\xbb\xbf[Desktop Entry]\nIcon=./.vellumark-icon.png\n");
}

TEST(DotDirectory, AnEarlierImageOfOursIsReplacedOutrightAndOnlyOurNamesAreWithdrawn)
{
	const std::string older = "[Desktop Entry]\nIcon=./.vellumark-icon-0123456789abcdef.png\n";
	EXPECT_EQ(Set(older), "[Desktop Entry]\nIcon=./.vellumark-icon.png\n");
	EXPECT_EQ(Withdraw(older), "[Desktop Entry]\n");
	const std::string lookalike = "[Desktop Entry]\nIcon=./.vellumark-icon-0123456789ABCDEF.png\n";
	EXPECT_EQ(Withdraw(lookalike), lookalike);
}
