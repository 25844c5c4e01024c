#include <gtest/gtest.h>

#include <Entry.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "storage/UriList.h"

using platform::RefsFromUriList;
using namespace std::string_literals;

// Each row's list names files of a fresh folder, written "@" in it.
TEST(UriList, TakesOnlyWellFormedLocalFileUrisInOrder)
{
	const struct {
		std::string list;
		std::vector<std::string> names;
	} kRows[] = {
		{"# a comment\r\nfile://@/a\r\n\r\nfile://localhost@/b\n", {"a", "b"}},
		{"file:@/a", {"a"}},
		{"http://example.com@/a\nfile://remote@/a\nfile:relative\nfile://@/../a-missing\n"
		 "smb://@/a\nfile://\n",
			{}},
		{"file://@/with%20space\nfile://@/two%0Alines\nfile://@/caf%E9\n",
			{"with space", "two\nlines", "caf\xe9"}},
		{"file://@/a%\nfile://@/a%4\nfile://@/a%zz\nfile://@/a%00\nfile://@/a\0\n"s, {}},
	};
	testing_support::TempDir dir;
	for (const char* name : {"a", "b", "with space", "two\nlines", "caf\xe9"})
		dir.Make(name);
	for (size_t i = 0; i < std::size(kRows); i++) {
		std::string list = kRows[i].list;
		for (size_t at; (at = list.find('@')) != std::string::npos;)
			list.replace(at, 1, dir.Path());
		std::vector<std::string> paths;
		for (const entry_ref& ref : RefsFromUriList(list.data(), list.size()))
			paths.push_back(ref.directory_path + "/" + ref.name);
		std::vector<std::string> expected;
		for (const std::string& name : kRows[i].names)
			expected.push_back(dir.Join(name));
		EXPECT_EQ(paths, expected) << "row " << i;
	}
	EXPECT_TRUE(RefsFromUriList(NULL, 10).empty());
}

TEST(UriList, StopsAtTheEntryCapWithoutFailing)
{
	testing_support::TempDir dir;
	std::string line = "file://" + dir.Make("a") + "\n", list;
	for (size_t i = 0; i < platform::kMaxUriListEntries + 10; i++)
		list += line;
	EXPECT_EQ(RefsFromUriList(list.data(), list.size()).size(), platform::kMaxUriListEntries);
}
