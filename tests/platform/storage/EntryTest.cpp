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
		const char* path;
		status_t status;
		const char* name;
		const char* folder;
	} kRows[] = {
		{"alias/link", B_OK, "link", "real"},
		{"absent", B_OK, "absent", ""},
		{"real/sub/..", B_OK, "real", ""},
		{"real/./sub/.", B_OK, "sub", "real"},
		{"no/such", B_ENTRY_NOT_FOUND, "", ""},
	};
	for (size_t i = 0; i < std::size(kRows); i++) {
		entry_ref ref;
		ASSERT_EQ(get_ref_for_path(dir.Join(kRows[i].path).c_str(), &ref), kRows[i].status)
			<< "row " << i;
		if (kRows[i].status != B_OK)
			continue;
		EXPECT_STREQ(ref.name, kRows[i].name) << "row " << i;
		EXPECT_EQ(
			ref.directory_path, std::filesystem::canonical(dir.Join(kRows[i].folder)).string())
			<< "row " << i;
	}
	entry_ref ref;
	EXPECT_NE(get_ref_for_path("", &ref), B_OK);
	EXPECT_EQ(get_ref_for_path(NULL, &ref), B_BAD_VALUE);
}

// A ref unset, made stale by its folder moving (the same path made again is another folder),
// or with a slash in its name, opens nothing; an entry whose folder moved has no parent.
TEST(EntryRef, UnsetStaleOrSlashedRefFailsEveryOpen)
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
	entry_ref slashed = RefFor(dir.Join("moved"));
	slashed.set_name("moved/item");
	const entry_ref kRefs[] = {entry_ref(), stale, slashed};
	for (size_t i = 0; i < std::size(kRefs); i++) {
		EXPECT_NE(BEntry(&kRefs[i]).InitCheck(), B_OK) << "ref " << i;
		EXPECT_NE(BNode(&kRefs[i]).InitCheck(), B_OK) << "ref " << i;
		EXPECT_NE(BDirectory(&kRefs[i]).InitCheck(), B_OK) << "ref " << i;
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

TEST(BDirectory, SetToSucceedsExactlyForFoldersAndLinksToThem)
{
	TempDir dir;
	dir.Make("folder", true);
	dir.Make("file");
	symlink("folder", dir.Join("folder-link").c_str());
	symlink("file", dir.Join("file-link").c_str());
	symlink("nowhere", dir.Join("dangling").c_str());
	for (const char* name : {"folder", "folder-link", "file", "file-link", "dangling", "absent"}) {
		entry_ref ref = RefFor(dir.Join(name));
		EXPECT_EQ(BDirectory().SetTo(&ref) == B_OK, std::string(name).rfind("folder", 0) == 0)
			<< name;
	}
}
