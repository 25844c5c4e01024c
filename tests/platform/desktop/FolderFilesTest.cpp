#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "desktop/FolderFiles.h"

using platform::FolderFiles;
using namespace testing_support;

namespace {

const size_t kMaxSize = 64 * 1024;

// The id of a process that has ended: a child, reaped.
pid_t DeadProcess()
{
	pid_t child = fork();
	if (child == 0)
		_exit(0);
	if (child > 0)
		waitpid(child, NULL, 0);
	return child;
}

class FolderFilesTest : public testing::Test {
protected:
	FolderFilesTest() :
		fFd(open(fDir.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
		fFiles(fFd)
	{
	}
	~FolderFilesTest() override { close(fFd); }

	std::string In(const std::string& name) const { return fDir.Join(name); }

	TempDir fDir;
	int fFd;
	FolderFiles fFiles;
};

// Another program saves the file the way KDE's do (a new file renamed over the old one, or a
// file made where there was none) between our read and our write: the edit is made again on
// their text, or, for a removal, their file stays.
TEST_F(FolderFilesTest, EditNeverUndoesAChangeMadeAfterItsRead)
{
	const struct {
		const char* first;  // NULL: no file
		FolderFiles::EditAction onFirst;  // for the text read first
		FolderFiles::EditAction onTheirs;  // for the text of the other program
		const char* expected;
	} kRows[] = {
		{"first\n", FolderFiles::kWrite, FolderFiles::kWrite, "theirs\nours\n"},
		{"first\n", FolderFiles::kRemove, FolderFiles::kKeep, "theirs\n"},
		{NULL, FolderFiles::kWrite, FolderFiles::kWrite, "theirs\nours\n"},
	};
	for (size_t i = 0; i < std::size(kRows); i++) {
		unlink(In("f").c_str());
		if (kRows[i].first != NULL)
			WriteFile(In("f"), kRows[i].first);
		int calls = 0;
		status_t status = fFiles.Edit(
			"f", kMaxSize, [&](const std::string& text, bool exists, std::string* edited) {
				if (calls++ == 0) {
					WriteFile(In("f.new"), "theirs\n");
					rename(In("f.new").c_str(), In("f").c_str());
				}
				*edited = text + (exists ? "ours\n" : "made\n");
				return calls == 1 ? kRows[i].onFirst : kRows[i].onTheirs;
			});
		EXPECT_EQ(status, B_OK) << "row " << i;
		EXPECT_EQ(calls, 2) << "row " << i;
		EXPECT_EQ(ReadFile(In("f")), kRows[i].expected) << "row " << i;
		EXPECT_EQ(FolderNames(fDir.Path()), std::vector<std::string>{"f"}) << "row " << i;
	}
}

TEST_F(FolderFilesTest, EditOfAFileThatKeepsChangingGivesUpBusyAndChangesNothing)
{
	int calls = 0;
	status_t status =
		fFiles.Edit("f", kMaxSize, [&](const std::string&, bool, std::string* edited) {
			WriteFile(In("f"), "theirs " + std::to_string(calls++) + "\n");
			*edited = "ours\n";
			return FolderFiles::kWrite;
		});
	EXPECT_EQ(status, B_BUSY);
	EXPECT_EQ(ReadFile(In("f")), "theirs " + std::to_string(calls - 1) + "\n");
	EXPECT_EQ(FolderNames(fDir.Path()), std::vector<std::string>{"f"});
}

// The new text is a new file renamed into place, so that a reader sees the old file or the
// new one, never a part; it keeps the file's mode.
TEST_F(FolderFilesTest, EditReplacesTheFileAtOnceKeepingItsMode)
{
	WriteFile(In("f"), "old\n");
	chmod(In("f").c_str(), 0600);
	struct stat before, after;
	ASSERT_EQ(stat(In("f").c_str(), &before), 0);
	ASSERT_EQ(fFiles.Edit("f", kMaxSize,
				  [](const std::string& text, bool, std::string* edited) {
					  *edited = text + "new\n";
					  return FolderFiles::kWrite;
				  }),
		B_OK);
	ASSERT_EQ(stat(In("f").c_str(), &after), 0);
	EXPECT_NE(after.st_ino, before.st_ino);
	EXPECT_EQ(after.st_mode & 07777, 0600u);
	EXPECT_EQ(ReadFile(In("f")), "old\nnew\n");
}

TEST_F(FolderFilesTest, EditWaitsForALiveLockAndTakesOverAStaleOne)
{
	pid_t dead = DeadProcess();
	ASSERT_GT(dead, 0);
	char host[256] = {};
	gethostname(host, sizeof(host) - 1);
	const struct {
		std::string lock;
		status_t expected;
	} kRows[] = {
		{std::to_string(getpid()) + "\ndolphin\n" + host + "\n", B_BUSY},
		{std::to_string(dead) + "\ndolphin\n" + host + "\n", B_OK},
		{std::to_string(dead) + "\ndolphin\nanother-host\n", B_BUSY},
	};
	for (size_t i = 0; i < std::size(kRows); i++) {
		WriteFile(In("f"), "old\n");
		WriteFile(In("f.lock"), kRows[i].lock);
		status_t status =
			fFiles.Edit("f", kMaxSize, [](const std::string&, bool, std::string* edited) {
				*edited = "new\n";
				return FolderFiles::kWrite;
			});
		EXPECT_EQ(status, kRows[i].expected) << "row " << i;
		EXPECT_EQ(ReadFile(In("f")), status == B_OK ? "new\n" : "old\n") << "row " << i;
		// Our own lock goes with the edit; another's stays.
		EXPECT_EQ(std::filesystem::exists(In("f.lock")), status != B_OK) << "row " << i;
		unlink(In("f.lock").c_str());
	}
}

TEST_F(FolderFilesTest, OnlyTemporariesOfDeadProcessesAreCleanedUp)
{
	pid_t child = DeadProcess();
	ASSERT_GT(child, 0);
	const std::string dead = ".vellumark-tmp-" + std::to_string(child) + "-0-.directory";
	const std::string live = ".vellumark-tmp-" + std::to_string(getpid()) + "-0-.directory";
	const std::vector<std::string> kept = {live, ".vellumark-tmp-x-0-a", ".vellumark-tmpfile", "a"};
	for (const std::string& name : kept)
		WriteFile(In(name), "x");
	WriteFile(In(dead), "x");
	fFiles.RemoveStaleTemporaries();
	EXPECT_EQ(FolderNames(fDir.Path()), kept);
}

}  // namespace
