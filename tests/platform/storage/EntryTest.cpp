#include <gtest/gtest.h>

#include <Directory.h>
#include <Entry.h>
#include <Node.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <utility>

#include "TestSupport.h"

using testing_support::TempDir;

namespace {

entry_ref RefFor(const std::string& path)
{
	entry_ref ref;
	EXPECT_EQ(get_ref_for_path(path.c_str(), &ref), B_OK) << path;
	return ref;
}

}  // namespace

// The folder part is resolved and the last part kept as named (a link stays the link; "." and
// ".." name folders); an entry not there yet can be named, but only in a folder that is. A
// relative path starts at the working folder. Each row's path is below a fresh folder,
// padded with slashes to a length when asked.
TEST(GetRefForPath, NamesTheLastPartInTheResolvedFolder)
{
	TempDir dir;
	dir.Make("real/file");
	dir.Make("real/sub", true);
	symlink("real", dir.Join("alias").c_str());
	symlink("file", dir.Join("real/link").c_str());
	symlink("loop", dir.Join("loop").c_str());
	auto padded = [&](size_t length) {
		return std::string(length - dir.Join("file").size(), '/') + "file";
	};
	const struct {
		std::string path;
		status_t status;
		std::string name;
		const char* folder;
		bool relative = false;
	} kRows[] = {
		{"alias/link", B_OK, "link", "real"},
		{"absent", B_OK, "absent", ""},
		{"real/sub/..", B_OK, "real", ""},
		{"real/./sub/.", B_OK, "sub", "real"},
		{"real/file", B_OK, "file", "real", true},
		{"no/such", B_ENTRY_NOT_FOUND, "", ""},
		{"real/file/x", B_NOT_A_DIRECTORY, "", ""},
		{"real/file/x/y", B_NOT_A_DIRECTORY, "", ""},
		{"loop/x", B_LINK_LIMIT, "", ""},
		{std::string(255, 'n'), B_OK, std::string(255, 'n'), ""},
		{std::string(256, 'n'), B_NAME_TOO_LONG, "", ""},  // one byte too long with its NUL
		{std::string(256, 'n') + "/x", B_NAME_TOO_LONG, "", ""},
		{padded(B_PATH_NAME_LENGTH - 1), B_OK, "file", ""},
		{padded(B_PATH_NAME_LENGTH), B_NAME_TOO_LONG, "", ""},
		{padded(B_PATH_NAME_LENGTH + 1), B_NAME_TOO_LONG, "", ""},
	};
	const std::filesystem::path working = std::filesystem::current_path();
	std::filesystem::current_path(dir.Path());
	for (size_t i = 0; i < std::size(kRows); i++) {
		entry_ref ref;
		std::string path = kRows[i].relative ? kRows[i].path : dir.Join(kRows[i].path);
		status_t status = get_ref_for_path(path.c_str(), &ref);
		EXPECT_EQ(status, kRows[i].status) << "row " << i;
		if (status != B_OK)
			continue;
		EXPECT_EQ(ref.name, kRows[i].name) << "row " << i;
		EXPECT_EQ(
			ref.directory_path, std::filesystem::canonical(dir.Join(kRows[i].folder)).string())
			<< "row " << i;
	}
	std::filesystem::current_path(working);
}

// A ref opens as an entry, a node and a folder exactly where it names one: a ref unset (no
// folder), made stale by its folder moving (the same path made again is another folder), with
// an empty name, a slash in its name or a name too long for a file opens nothing; an
// entry need not exist, and a link is the link, but a folder opened through a link to one
// (never a link that leads nowhere). An entry's parent is its folder, the root's parent too,
// and the root has none. An entry whose folder moved has no parent.
TEST(EntryRef, EachOpenSucceedsExactlyWhereTheRefNamesWhatItOpens)
{
	TempDir dir;
	dir.Make("folder/item");
	entry_ref stale = RefFor(dir.Join("folder/item"));
	BEntry entry(&stale), parent;
	std::filesystem::rename(dir.Join("folder"), dir.Join("moved"));
	// Held open since the ref was taken, the moved folder still counts as gone.
	EXPECT_FALSE(entry.Exists());
	EXPECT_NE(entry.GetParent(&parent), B_OK);
	dir.Make("folder/item");
	entry_ref slashed = RefFor(dir.Join("moved")), tooLong = RefFor(dir.Join("moved"));
	slashed.set_name("moved/item");
	tooLong.set_name(std::string(256, 'n').c_str());
	entry_ref unnamed = RefFor(dir.Make("file"));
	unnamed.set_name("");
	symlink("folder", dir.Join("folder-link").c_str());
	symlink("file", dir.Join("file-link").c_str());
	symlink("gone", dir.Join("dangling").c_str());
	const struct {
		entry_ref ref;
		bool entry, node, folder;
		std::string parent;  // the folder the parent opens; empty: none
	} kRows[] = {
		{entry_ref(), false, false, false, ""},
		{stale, false, false, false, ""},
		{unnamed, false, false, false, ""},
		{slashed, false, false, false, ""},
		{RefFor(dir.Make(std::string(254, 'n'))), true, true, false, dir.Path()},
		{RefFor(dir.Make(std::string(255, 'n'))), true, true, false, dir.Path()},
		{tooLong, false, false, false, ""},
		{RefFor(dir.Join("folder")), true, true, true, dir.Path()},
		{RefFor(dir.Join("folder-link")), true, true, true, dir.Path()},
		{RefFor(dir.Join("file-link")), true, true, false, dir.Path()},
		{RefFor(dir.Join("dangling")), true, true, false, dir.Path()},
		{RefFor(dir.Join("absent")), true, false, false, dir.Path()},
		{RefFor("/tmp"), true, true, true, "/"},
		{RefFor("/"), true, true, true, ""},
	};
	for (size_t i = 0; i < std::size(kRows); i++) {
		BEntry item(&kRows[i].ref);
		BNode node;
		BDirectory folder;
		EXPECT_EQ(item.InitCheck() == B_OK, kRows[i].entry) << "row " << i;
		EXPECT_EQ(node.SetTo(&kRows[i].ref) == B_OK, kRows[i].node) << "row " << i;
		EXPECT_EQ(folder.SetTo(&kRows[i].ref) == B_OK, kRows[i].folder) << "row " << i;
		struct stat opened, expected;
		bool parented = item.GetParent(&item) == B_OK && node.SetTo(&item) == B_OK
			&& fstat(node.Descriptor(), &opened) == 0;
		ASSERT_EQ(parented, !kRows[i].parent.empty()) << "row " << i;
		ASSERT_TRUE(!parented || stat(kRows[i].parent.c_str(), &expected) == 0);
		EXPECT_TRUE(!parented || opened.st_ino == expected.st_ino) << "row " << i;
	}
}

// The parent that GetParent gives is the folder that held the entry: the first node opened
// from it is that folder even when another has taken its name since; a later one goes by the
// name, and refuses the newcomer. The child, when it is another entry, keeps its own folder.
TEST(BEntry, ParentOpensTheFolderThatHeldTheEntry)
{
	const std::pair<bool, bool> kRows[] = {
		{true, false}, {false, false}, {true, true}, {false, true}};
	for (const auto& [intoItself, replaced] : kRows) {
		SCOPED_TRACE(testing::Message() << "into itself, replaced: " << intoItself << replaced);
		TempDir dir;
		dir.Make("folder/item");
		struct stat held, st;
		ASSERT_EQ(stat(dir.Join("folder").c_str(), &held), 0);
		entry_ref ref = RefFor(dir.Join("folder/item"));
		BEntry entry(&ref), other;
		BEntry* parent = intoItself ? &entry : &other;
		ASSERT_EQ(entry.GetParent(parent), B_OK);
		if (replaced) {
			std::filesystem::rename(dir.Join("folder"), dir.Join("moved"));
			dir.Make("folder", true);
		}
		BNode node, again;
		ASSERT_EQ(node.SetTo(parent), B_OK);
		ASSERT_EQ(fstat(node.Descriptor(), &st), 0);
		EXPECT_EQ(st.st_ino, held.st_ino);
		EXPECT_EQ(again.SetTo(parent) == B_OK, !replaced);
		EXPECT_TRUE(intoItself || entry.Exists() == !replaced);
	}
}
