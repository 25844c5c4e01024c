#include <gtest/gtest.h>

#include <Directory.h>
#include <Entry.h>
#include <Node.h>
#include <Path.h>

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "TestSupport.h"

using testing_support::TempDir;

namespace {

std::string Real(const std::string& path)
{
	char* real = realpath(path.c_str(), NULL);
	std::string result = real != NULL ? real : "";
	free(real);
	return result;
}

entry_ref RefFor(const std::string& path)
{
	entry_ref ref;
	EXPECT_EQ(get_ref_for_path(path.c_str(), &ref), B_OK) << path;
	return ref;
}

}  // namespace

TEST(GetRefForPath, ResolvesTheFolderButKeepsALinkAsTheLeaf)
{
	TempDir dir;
	dir.Make("real/file");
	symlink("real", dir.Join("alias").c_str());
	symlink("file", dir.Join("real/link").c_str());

	entry_ref ref = RefFor(dir.Join("alias/link"));
	EXPECT_STREQ(ref.name, "link");
	EXPECT_EQ(ref.directory_path, Real(dir.Join("real")));
	EXPECT_EQ(ref, entry_ref(ref.device, ref.directory, "link"));
}

TEST(GetRefForPath, NamesAnEntryThatDoesNotExistYetButNeedsItsFolder)
{
	TempDir dir;
	entry_ref ref;
	EXPECT_EQ(get_ref_for_path(dir.Join("absent").c_str(), &ref), B_OK);
	EXPECT_FALSE(BEntry(&ref).Exists());
	EXPECT_EQ(get_ref_for_path(dir.Join("no/such").c_str(), &ref), B_ENTRY_NOT_FOUND);
	EXPECT_NE(get_ref_for_path("", &ref), B_OK);
	EXPECT_EQ(get_ref_for_path(NULL, &ref), B_BAD_VALUE);
}

TEST(GetRefForPath, DotAndDotDotNameTheFoldersThemselves)
{
	TempDir dir;
	dir.Make("a/b", true);
	entry_ref ref = RefFor(dir.Join("a/b/.."));
	EXPECT_STREQ(ref.name, "a");
	EXPECT_EQ(ref.directory_path, Real(dir.Path()));
	ref = RefFor(dir.Join("a/./b/."));
	EXPECT_STREQ(ref.name, "b");
	EXPECT_EQ(ref.directory_path, Real(dir.Join("a")));
}

TEST(EntryRef, UnsetRefFailsEveryOpen)
{
	entry_ref unset;
	EXPECT_EQ(BEntry(&unset).InitCheck(), B_ENTRY_NOT_FOUND);
	EXPECT_NE(BNode(&unset).InitCheck(), B_OK);
	EXPECT_NE(BDirectory(&unset).InitCheck(), B_OK);
	EXPECT_NE(BPath(&unset).InitCheck(), B_OK);
}

TEST(EntryRef, StaleRefFailsEveryOpenEvenWhenThePathIsBack)
{
	TempDir dir;
	dir.Make("folder/item");
	entry_ref ref = RefFor(dir.Join("folder/item"));
	std::filesystem::rename(dir.Join("folder"), dir.Join("moved"));
	dir.Make("folder/item");  // same path, another folder

	EXPECT_NE(BEntry(&ref).InitCheck(), B_OK);
	EXPECT_NE(BNode(&ref).InitCheck(), B_OK);
	EXPECT_NE(BDirectory(&ref).InitCheck(), B_OK);
	EXPECT_NE(BPath(&ref).InitCheck(), B_OK);
}

TEST(EntryRef, RefWithSlashInItsNameIsRefused)
{
	TempDir dir;
	dir.Make("sub/inner");
	entry_ref ref = RefFor(dir.Join("sub"));
	ref.set_name("sub/inner");
	EXPECT_NE(BNode(&ref).InitCheck(), B_OK);
}

TEST(BEntry, SetToWithoutTraverseKeepsTheLinkItself)
{
	TempDir dir;
	dir.Make("target", true);
	symlink(dir.Join("target").c_str(), dir.Join("link").c_str());
	entry_ref ref = RefFor(dir.Join("link"));

	BEntry entry;
	ASSERT_EQ(entry.SetTo(&ref, false), B_OK);
	EXPECT_FALSE(entry.IsDirectory());
	EXPECT_STREQ(entry.Name(), "link");

	ASSERT_EQ(entry.SetTo(&ref, true), B_OK);
	EXPECT_TRUE(entry.IsDirectory());
	EXPECT_STREQ(entry.Name(), "target");
}

TEST(BEntry, GetParentOfALinkIsTheLinksFolderNotTheTargets)
{
	TempDir dir;
	dir.Make("elsewhere/target");
	dir.Make("here", true);
	symlink(dir.Join("elsewhere/target").c_str(), dir.Join("here/link").c_str());
	BEntry entry(dir.Join("here/link").c_str());
	ASSERT_EQ(entry.GetParent(&entry), B_OK);
	EXPECT_STREQ(entry.Name(), "here");
}

// Each step, into the entry itself, names the holding folder; the root has no parent.
TEST(BEntry, GetParentStepsUpToTheRootThroughTheSameRefsAsTheirPaths)
{
	TempDir dir;
	std::string path = Real(dir.Make("a/b/c"));
	BEntry entry(path.c_str());
	while (path != "/") {
		path = path.substr(0, std::max<size_t>(path.rfind('/'), 1));
		ASSERT_EQ(entry.GetParent(&entry), B_OK) << path;
		entry_ref ref;
		ASSERT_EQ(entry.GetRef(&ref), B_OK);
		EXPECT_EQ(ref, RefFor(path)) << path;
		EXPECT_TRUE(entry.IsDirectory()) << path;
	}
	BEntry parent;
	EXPECT_NE(entry.GetParent(&parent), B_OK);
}

// An entry made from a reference holds its folder open; once the folder has moved, it
// answers as one made from the path does.
TEST(BEntry, NeitherExistsNorHasAParentOnceItsFolderHasMoved)
{
	for (bool byRef : {false, true}) {
		TempDir dir;
		dir.Make("old/file");
		entry_ref ref = RefFor(dir.Join("old/file"));
		BEntry entry;
		ASSERT_EQ(byRef ? entry.SetTo(&ref) : entry.SetTo(dir.Join("old/file").c_str()), B_OK);
		ASSERT_TRUE(entry.Exists()) << "by ref " << byRef;
		ASSERT_EQ(rename(dir.Join("old").c_str(), dir.Join("new").c_str()), 0);
		BEntry parent;
		EXPECT_FALSE(entry.Exists()) << "by ref " << byRef;
		EXPECT_NE(entry.GetParent(&parent), B_OK) << "by ref " << byRef;
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

	for (const char* name : {"folder", "folder-link"}) {
		entry_ref ref = RefFor(dir.Join(name));
		EXPECT_EQ(BDirectory().SetTo(&ref), B_OK) << name;
	}
	for (const char* name : {"file", "file-link", "dangling", "absent"}) {
		entry_ref ref = RefFor(dir.Join(name));
		EXPECT_NE(BDirectory().SetTo(&ref), B_OK) << name;
	}
}

TEST(BDirectory, EntriesCanBeNamedRelativeToIt)
{
	TempDir dir;
	dir.Make("folder/file");
	BDirectory folder(dir.Join("folder").c_str());
	EXPECT_TRUE(folder.Contains("file"));
	EXPECT_FALSE(folder.Contains("other"));
	BEntry entry(&folder, "file");
	EXPECT_TRUE(entry.IsFile());
}
