#include <gtest/gtest.h>

#include <Entry.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "storage/UriList.h"

using platform::kMaxUriListBytes;
using platform::kMaxUriListEntries;
using platform::RefsFromUriList;
using namespace std::string_literals;

// Each row's list names files of a fresh folder, written "@" in it, and is repeated so many
// times. A list padded to a size gets a comment line in front. The unpassed bytes at its end
// stay in memory but are left out of the length handed over: a drag's data need not end where
// its buffer does.
TEST(UriList, TakesOnlyWellFormedLocalFileUrisInOrderWithinItsBounds)
{
	auto many = [](size_t count) { return std::vector<std::string>(count, "a"); };
	const struct {
		std::string list;
		std::vector<std::string> names;
		size_t paddedTo = 0;
		size_t unpassed = 0;
		size_t times = 1;
	} kRows[] = {
		{"# a comment\r\nfile://@/a \t\r\n\r\nfile://LocalHost@/b\n", {"a", "b"}},
		{"file:@/a", {"a"}},
		{"http://example.com@/a\nfile://remote@/a\nfile:relative\nfile://@/../a-missing\n"
		 "smb://@/a\nfile://\nfile:\nfil\nfile://localhose@/a\n",
			{}},
		{"file://@/with%20space\nfile://@/two%0alines\nfile://@/caf%E9\n",
			{"with space", "two\nlines", "caf\xe9"}},
		{"file://@/a%zz\nfile://@/a%00\nfile://@/a\0\n"s, {}},
		// An escape that the end of the list cuts short is bad, whatever bytes follow.
		{"file://@/a%41", {}, 0, 2},
		{"file://@/a%41", {}, 0, 1},
		{"file://@/a%41", {"aA"}},
		// A list cut at the byte cap loses the line the cut falls in.
		{"file://@/a", {"a"}, kMaxUriListBytes - 1},
		{"file://@/a", {"a"}, kMaxUriListBytes},
		{"file://@/a", {}, kMaxUriListBytes + 1},
		{"file://@/a\n", many(kMaxUriListEntries - 1), 0, 0, kMaxUriListEntries - 1},
		{"file://@/a\n", many(kMaxUriListEntries), 0, 0, kMaxUriListEntries},
		{"file://@/a\n", many(kMaxUriListEntries), 0, 0, kMaxUriListEntries + 1},
	};
	testing_support::TempDir dir;
	for (const char* name : {"a", "b", "with space", "two\nlines", "caf\xe9", "aA"})
		dir.Make(name);
	for (size_t i = 0; i < std::size(kRows); i++) {
		std::string list;
		for (size_t time = 0; time < kRows[i].times; time++) {
			for (char c : kRows[i].list)
				list += c == '@' ? dir.Path() : std::string(1, c);
		}
		if (kRows[i].paddedTo != 0)
			list = "#" + std::string(kRows[i].paddedTo - list.size() - 2, 'x') + "\n" + list;
		std::vector<std::string> paths;
		for (const entry_ref& ref : RefsFromUriList(list.data(), list.size() - kRows[i].unpassed))
			paths.push_back(ref.directory_path + "/" + ref.name);
		std::vector<std::string> expected;
		for (const std::string& name : kRows[i].names)
			expected.push_back(dir.Join(name));
		EXPECT_EQ(paths, expected) << "row " << i;
	}
}
