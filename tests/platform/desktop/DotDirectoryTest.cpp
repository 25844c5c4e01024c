#include <gtest/gtest.h>

#include <string>

#include "desktop/DotDirectory.h"
#include "desktop/ImageNames.h"

using platform::DotDirectory;

namespace {

const char kOurs[] = "./.vellumark-icon.png";

std::string Set(const std::string& text, bool created = false)
{
	DotDirectory entry(text);
	entry.SetIcon(kOurs, created, platform::IsFolderIconDirectoryValue);
	return entry.Text();
}

std::string Withdraw(const std::string& text, bool* remove)
{
	DotDirectory entry(text);
	*remove = entry.WithdrawIcon(platform::IsFolderIconDirectoryValue);
	return entry.Text();
}

}  // namespace

// Setting keeps every other line, keeps another program's icon aside, and is done once;
// withdrawing it gives back the file exactly, or says to remove a file that was ours alone.
TEST(DotDirectory, SettingAndWithdrawingOurIconChangesOnlyOurLines)
{
	const struct {
		std::string original;
		bool created;  // no file was there
		std::string set;
		const char* withdrawn;  // from the set text; NULL: the original
		bool remove;
	} kRows[] = {
		{"", true, "[Desktop Entry]\nIcon=./.vellumark-icon.png\nX-Vellumark-Created=file\n", "",
			true},
		{"# made by hand\r\n[Dolphin]\r\nViewMode=1\r\n\r\n[Desktop Entry]\r\nIcon[de]=ordner\r\n"
		 "Comment=Caf\xc3\xa9 \xff\xfe bytes\r\n[Other]\r\nIcon=not-this-one",
			false,
			"# made by hand\r\n[Dolphin]\r\nViewMode=1\r\n\r\n[Desktop Entry]\r\n"
			"Icon=./.vellumark-icon.png\r\nIcon[de]=ordner\r\nComment=Caf\xc3\xa9 \xff\xfe bytes\r\n"
			"[Other]\r\nIcon=not-this-one",
			NULL, false},
		{"[Desktop Entry]\nIcon = folder-red \nType=Directory\n", false,
			"[Desktop Entry]\nIcon=./.vellumark-icon.png\n"
			"X-Vellumark-Replaced-Icon=Icon = folder-red \nType=Directory\n",
			NULL, false},
		{"[Dolphin]\nTimestamp=2024,1,1", false,
			"[Dolphin]\nTimestamp=2024,1,1\n"
			"[Desktop Entry]\nIcon=./.vellumark-icon.png\nX-Vellumark-Created=group\n",
			"[Dolphin]\nTimestamp=2024,1,1\n", false},
		// Found by fuzz_dotdirectory: a line added after a last line without its end ran on.
		{"[Desktop Entry]", false, "[Desktop Entry]\nIcon=./.vellumark-icon.png\n",
			"[Desktop Entry]\n", false},
		{"[Desktop Entry]\r\nIcon=folder-red", false,
			"[Desktop Entry]\r\n"
			"Icon=./.vellumark-icon.png\r\nX-Vellumark-Replaced-Icon=Icon=folder-red\r\n",
			"[Desktop Entry]\r\nIcon=folder-red\r\n", false},
		// Found by fuzz_dotdirectory: kept aside before "\n", the "\r" read back as a line end.
		{"[Desktop Entry]\nIcon=folder-red\r\r\n", false,
			"[Desktop Entry]\n"
			"Icon=./.vellumark-icon.png\r\nX-Vellumark-Replaced-Icon=Icon=folder-red\r\r\n",
			NULL, false},
		{"\xef\xbb\xbf[Desktop Entry]\n", false,
			"\xef\xbb\xbf[Desktop Entry]\nIcon=./.vellumark-icon.png\n", NULL, false},
		// An earlier image of ours is replaced outright.
		{"[Desktop Entry]\nIcon=./.vellumark-icon-0123456789abcdef.png\n", false,
			"[Desktop Entry]\nIcon=./.vellumark-icon.png\n", "[Desktop Entry]\n", false},
		// The icon chosen since ours is the one kept aside, and the one that comes back.
		{"[Desktop Entry]\nIcon=folder-blue\nX-Vellumark-Replaced-Icon=Icon=folder-red\n", false,
			"[Desktop Entry]\nIcon=./.vellumark-icon.png\n"
			"X-Vellumark-Replaced-Icon=Icon=folder-blue\n",
			"[Desktop Entry]\nIcon=folder-blue\n", false},
		// A header left open is no header, a line without "=" no key: the Icon is the group's.
		{"[Desktop Entry]\n[Desktop Entry\nIcon\nIcon=folder-red\n", false,
			"[Desktop Entry]\n[Desktop Entry\nIcon\nIcon=./.vellumark-icon.png\n"
			"X-Vellumark-Replaced-Icon=Icon=folder-red\n",
			NULL, false},
	};
	for (const auto& row : kRows) {
		SCOPED_TRACE(row.original);
		std::string set = Set(row.original, row.created);
		EXPECT_EQ(set, row.set);
		EXPECT_EQ(Set(set), set) << "setting twice changes nothing";
		bool remove = !row.remove;
		EXPECT_EQ(Withdraw(set, &remove), row.withdrawn != NULL ? row.withdrawn : row.original);
		EXPECT_EQ(remove, row.remove);
	}
}

// Only our own lines go: the user may have chosen another icon since (and Dolphin added its
// own group, which keeps a file we made), and a name that only looks like ours is another
// program's.
TEST(DotDirectory, WithdrawalLeavesAnIconThatIsNotOurs)
{
	const struct {
		std::string text;
		std::string withdrawn;
	} kRows[] = {
		{"[Desktop Entry]\nIcon=folder-blue\nX-Vellumark-Created=file\n[Dolphin]\nViewMode=2\n",
			"[Desktop Entry]\nIcon=folder-blue\n[Dolphin]\nViewMode=2\n"},
		{"[Desktop Entry]\nIcon=./.vellumark-icon.png\nX-Vellumark-Created=file\n\n"
		 "[Dolphin]\nViewMode=2\n",
			"\n[Dolphin]\nViewMode=2\n"},
		{"[Desktop Entry]\nIcon=./.vellumark-icon-0123456789abcdef.png\n", "[Desktop Entry]\n"},
		{"[Desktop Entry]\nIcon=./.vellumark-icon-0123456789ABCDEF.png\n",
			"[Desktop Entry]\nIcon=./.vellumark-icon-0123456789ABCDEF.png\n"},
	};
	for (const auto& row : kRows) {
		bool remove = true;
		EXPECT_EQ(Withdraw(row.text, &remove), row.withdrawn) << row.text;
		EXPECT_FALSE(remove) << row.text;
	}
}

TEST(DotDirectory, TextWithNulBytesIsNotEditable)
{
	EXPECT_FALSE(DotDirectory::IsEditable(std::string("\xff\xfe[\0D\0", 6)));
	EXPECT_TRUE(DotDirectory::IsEditable("\xef\xbb\xbf[Desktop Entry]\n"));
}
