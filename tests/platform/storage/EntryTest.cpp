#include <gtest/gtest.h>

#include <Directory.h>
#include <Entry.h>
#include <Node.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

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
// ".." name folders); an entry not there yet can be named, but only in a folder that is.
TEST(GetRefForPath, NamesTheLastPartInTheResolvedFolder)
{
	TempDir dir;
	dir.Make("real/file");
	dir.Make("real/sub", true);
	symlink("real", dir.Join("alias").c_str());
	symlink("file", dir.Join("real/link").c_str());
	const struct {
		std::string path;
		status_t status;
		std::string name;
		const char* folder;
	} kRows[] = {
		{"alias/link", B_OK, "link", "real"}, {"absent", B_OK, "absent", ""},
		{"real/sub/..", B_OK, "real", ""}, {"real/./sub/.", B_OK, "sub", "real"},
		{"no/such", B_ENTRY_NOT_FOUND, "", ""},
		{std::string(256, 'n'), B_NAME_TOO_LONG, "", ""},  // one byte too long with its NUL
	};
	for (size_t i = 0; i < std::size(kRows); i++) {
		entry_ref ref;
		ASSERT_EQ(get_ref_for_path(dir.Join(kRows[i].path).c_str(), &ref), kRows[i].status)
			<< "row " << i;
		if (kRows[i].status != B_OK)
			continue;
		EXPECT_EQ(ref.name, kRows[i].name) << "row " << i;
		EXPECT_EQ(
			ref.directory_path, std::filesystem::canonical(dir.Join(kRows[i].folder)).string())
			<< "row " << i;
	}
}

// A ref opens as an entry, a node and a folder exactly where it names one: a ref made stale
// by its folder moving (the same path made again is another folder), with a slash in its name
// or a name too long for a file opens nothing; an entry need not exist, and a link is the link,
// but a folder opened through a link to one. An entry whose folder moved has no parent.
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
	dir.Make("file");
	symlink("folder", dir.Join("folder-link").c_str());
	symlink("file", dir.Join("file-link").c_str());
	const struct {
		entry_ref ref;
		bool entry, node, folder;
	} kRows[] = {
		{stale, false, false, false},
		{slashed, false, false, false},
		{RefFor(dir.Make(std::string(254, 'n'))), true, true, false},
		{RefFor(dir.Make(std::string(255, 'n'))), true, true, false},
		{tooLong, false, false, false},
		{RefFor(dir.Join("folder")), true, true, true},
		{RefFor(dir.Join("folder-link")), true, true, true},
		{RefFor(dir.Join("file-link")), true, true, false},
		{RefFor(dir.Join("absent")), true, false, false},
	};
	for (size_t i = 0; i < std::size(kRows); i++) {
		EXPECT_EQ(BEntry(&kRows[i].ref).InitCheck() == B_OK, kRows[i].entry) << "row " << i;
		EXPECT_EQ(BNode(&kRows[i].ref).InitCheck() == B_OK, kRows[i].node) << "row " << i;
		EXPECT_EQ(BDirectory(&kRows[i].ref).InitCheck() == B_OK, kRows[i].folder) << "row " << i;
	}
}

// The parent that GetParent gives is the folder that held the entry: the first node opened
// from it is that folder even when another has taken its name since; a later one goes by the
// name, and refuses the newcomer. The child, when it is another entry, keeps its own folder.
TEST(BEntry, ParentOpensTheFolderThatHeldTheEntry)
{
	const struct {
		bool intoItself;
		bool replaced;
	} kRows[] = {{true, false}, {false, false}, {true, true}, {false, true}};
	for (size_t i = 0; i < std::size(kRows); i++) {
		TempDir dir;
		dir.Make("folder/item");
		struct stat held, st;
		ASSERT_EQ(stat(dir.Join("folder").c_str(), &held), 0);
		entry_ref ref = RefFor(dir.Join("folder/item"));
		BEntry entry(&ref), other;
		BEntry* parent = kRows[i].intoItself ? &entry : &other;
		ASSERT_EQ(entry.GetParent(parent), B_OK) << "row " << i;
		if (kRows[i].replaced) {
			std::filesystem::rename(dir.Join("folder"), dir.Join("moved"));
			dir.Make("folder", true);
		}
		BNode node(parent);
		ASSERT_EQ(node.InitCheck(), B_OK) << "row " << i;
		ASSERT_EQ(fstat(node.Descriptor(), &st), 0);
		EXPECT_EQ(st.st_ino, held.st_ino) << "row " << i;
		EXPECT_EQ(BNode(parent).InitCheck() == B_OK, !kRows[i].replaced) << "row " << i;
		if (!kRows[i].intoItself) {
			EXPECT_EQ(entry.Exists(), !kRows[i].replaced) << "row " << i;
		}
	}
}
