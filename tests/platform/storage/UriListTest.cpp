#include <gtest/gtest.h>

#include <Entry.h>
#include <Path.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "storage/UriList.h"

using platform::RefsFromUriList;
using testing_support::TempDir;

namespace {

std::vector<std::string> Paths(const std::string& list)
{
	std::vector<std::string> paths;
	for (const entry_ref& ref : RefsFromUriList(list.data(), list.size()))
		paths.push_back(BPath(&ref).Path());
	return paths;
}

}  // namespace

TEST(UriList, TakesLocalFileUrisInOrderSkippingCommentsAndBlankLines)
{
	TempDir dir;
	std::string a = dir.Make("a"), b = dir.Make("b");
	std::string list = "# a comment\r\nfile://" + a + "\r\n\r\nfile://localhost" + b + "\n";
	EXPECT_EQ(Paths(list), std::vector<std::string>({a, b}));
	EXPECT_EQ(Paths("file:" + a), std::vector<std::string>({a}));
}

TEST(UriList, SkipsOtherSchemesRemoteHostsAndRelativePaths)
{
	TempDir dir;
	std::string a = dir.Make("a");
	std::string list = "http://example.com" + a + "\nfile://remote" + a + "\nfile:relative\n"
		+ "file://" + a + "/../a-missing\nsmb://" + a + "\nfile://\n";
	EXPECT_TRUE(Paths(list).empty());
}

TEST(UriList, DecodesEscapesAndKeepsOddButLegalNames)
{
	TempDir dir;
	std::string spaced = dir.Make("with space");
	std::string newline = dir.Make("two\nlines");
	std::string latin1 = dir.Make("caf\xe9");
	std::string list = "file://" + dir.Path() + "/with%20space\nfile://" + dir.Path()
		+ "/two%0Alines\nfile://" + dir.Path() + "/caf%E9\n";
	EXPECT_EQ(Paths(list), std::vector<std::string>({spaced, newline, latin1}));
}

TEST(UriList, SkipsBadEscapesAndNuls)
{
	TempDir dir;
	std::string a = dir.Make("a");
	std::string list = "file://" + a + "%\nfile://" + a + "%4\nfile://" + a + "%zz\nfile://" + a
		+ "%00\nfile://" + a + std::string(1, '\0') + "\n";
	EXPECT_TRUE(Paths(list).empty());
	EXPECT_TRUE(RefsFromUriList(NULL, 10).empty());
}

TEST(UriList, StopsAtTheEntryCapWithoutFailing)
{
	TempDir dir;
	std::string a = dir.Make("a");
	std::string line = "file://" + a + "\n";
	std::string list;
	for (size_t i = 0; i < platform::kMaxUriListEntries + 10; i++)
		list += line;
	EXPECT_EQ(RefsFromUriList(list.data(), list.size()).size(), platform::kMaxUriListEntries);
}
