#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include "TestSupport.h"
#include "desktop/FolderFiles.h"

using platform::FolderFiles;
using testing_support::ReadFile;
using testing_support::RecordFigure;
using testing_support::TempDir;
using testing_support::WriteFile;

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

	std::set<std::string> Names() const
	{
		std::set<std::string> names;
		for (const auto& entry : std::filesystem::directory_iterator(fDir.Path()))
			names.insert(entry.path().filename());
		return names;
	}

	TempDir fDir;
	int fFd;
	FolderFiles fFiles;
};

// Another program edits the file the way KDE's do (a new file renamed over the old one)
// between our read and our write: the edit is made again on their text, or, for a removal,
// their file stays.
TEST_F(FolderFilesTest, EditNeverUndoesAChangeMadeAfterItsRead)
{
	const struct {
		FolderFiles::EditAction onFirst;  // for the text read first
		FolderFiles::EditAction onTheirs;  // for the text of the other program
		const char* expected;
	} kCases[] = {
		{FolderFiles::kWrite, FolderFiles::kWrite, "theirs\nours\n"},
		{FolderFiles::kRemove, FolderFiles::kKeep, "theirs\n"},
	};
	for (size_t i = 0; i < std::size(kCases); i++) {
		WriteFile(In("f"), "first\n");
		int calls = 0;
		status_t status =
			fFiles.Edit("f", kMaxSize, [&](const std::string& text, bool, std::string* edited) {
				if (calls++ == 0) {
					WriteFile(In("f.new"), "theirs\n");
					rename(In("f.new").c_str(), In("f").c_str());
				}
				*edited = text + "ours\n";
				return text == "first\n" ? kCases[i].onFirst : kCases[i].onTheirs;
			});
		EXPECT_EQ(status, B_OK) << "case " << i;
		EXPECT_EQ(calls, 2) << "case " << i;
		EXPECT_EQ(ReadFile(In("f")), kCases[i].expected) << "case " << i;
		EXPECT_EQ(Names(), std::set<std::string>{"f"}) << "case " << i;
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
	EXPECT_EQ(Names(), std::set<std::string>{"f"});
}

TEST_F(FolderFilesTest, EditKeepsTheFilesModeAndMakesANewFileOnlyWhereThereIsNone)
{
	WriteFile(In("f"), "old\n");
	chmod(In("f").c_str(), 0600);
	auto write = [](const std::string& text, bool, std::string* edited) {
		*edited = text + "new\n";
		return FolderFiles::kWrite;
	};
	ASSERT_EQ(fFiles.Edit("f", kMaxSize, write), B_OK);
	struct stat st;
	ASSERT_EQ(stat(In("f").c_str(), &st), 0);
	EXPECT_EQ(st.st_mode & 07777, 0600u);
	EXPECT_EQ(ReadFile(In("f")), "old\nnew\n");

	// A file that appears between our look and our making is theirs: ours goes on top of it.
	int calls = 0;
	ASSERT_EQ(fFiles.Edit("g", kMaxSize,
				  [&](const std::string& text, bool exists, std::string* edited) {
					  if (calls++ == 0)
						  WriteFile(In("g"), "theirs\n");
					  *edited = text + (exists ? "edited\n" : "made\n");
					  return FolderFiles::kWrite;
				  }),
		B_OK);
	EXPECT_EQ(ReadFile(In("g")), "theirs\nedited\n");
}

// A race, not a staged interleaving: a writer that saves its edits the way KDE's do (under
// the lock file, a new file flushed and renamed over the old one) runs alongside ours, and
// every key it added must be there at the end.
TEST_F(FolderFilesTest, EditsRacingARenamingWriterUndoNoneOfItsUpdates)
{
	const int kEdits = 200;
	WriteFile(In("f"), "[Other]\n");
	std::atomic<bool> done(false);
	int updates = 0;
	std::thread writer([&] {
		for (; !done; updates++) {
			int lock;
			while ((lock = open(In("f.lock").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644)) < 0)
				std::this_thread::yield();
			close(lock);
			std::string text = ReadFile(In("f")) + "K" + std::to_string(updates) + "=1\n";
			std::string temporary = In("f.writer");
			int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
			ASSERT_EQ(write(fd, text.data(), text.size()), ssize_t(text.size()));
			fsync(fd);
			close(fd);
			rename(temporary.c_str(), In("f").c_str());
			unlink(In("f.lock").c_str());
		}
	});
	for (int i = 0; i < kEdits; i++) {
		fFiles.Edit("f", kMaxSize, [&](const std::string& text, bool, std::string* edited) {
			size_t at = text.find("Ours=1\n");
			*edited = i % 2 == 0          ? text + "Ours=1\n"
				: at == std::string::npos ? text
										  : text.substr(0, at) + text.substr(at + 7);
			return FolderFiles::kWrite;
		});
	}
	done = true;
	writer.join();
	std::string final = ReadFile(In("f"));
	int undone = 0;
	for (int i = 0; i < updates; i++)
		undone += final.find("K" + std::to_string(i) + "=1\n") == std::string::npos;
	RecordFigure("dot_directory_undone_updates", undone);
	EXPECT_EQ(undone, 0) << "of " << updates << " updates, against " << kEdits << " edits";
	for (const std::string& name : Names())
		EXPECT_TRUE(name == "f" || name == "f.writer") << name;
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
	} kCases[] = {
		{std::to_string(getpid()) + "\ndolphin\n" + host + "\n", B_BUSY},
		{std::to_string(dead) + "\ndolphin\n" + host + "\n", B_OK},
		{std::to_string(dead) + "\ndolphin\nanother-host\n", B_BUSY},
	};
	for (size_t i = 0; i < std::size(kCases); i++) {
		WriteFile(In("f"), "old\n");
		WriteFile(In("f.lock"), kCases[i].lock);
		status_t status =
			fFiles.Edit("f", kMaxSize, [](const std::string&, bool, std::string* edited) {
				*edited = "new\n";
				return FolderFiles::kWrite;
			});
		EXPECT_EQ(status, kCases[i].expected) << "case " << i;
		EXPECT_EQ(ReadFile(In("f")), status == B_OK ? "new\n" : "old\n") << "case " << i;
		// Our own lock goes with the edit; another's stays.
		EXPECT_EQ(std::filesystem::exists(In("f.lock")), status != B_OK) << "case " << i;
		unlink(In("f.lock").c_str());
	}
}

TEST_F(FolderFilesTest, OnlyTemporariesOfDeadProcessesAreCleanedUp)
{
	pid_t child = DeadProcess();
	ASSERT_GT(child, 0);
	const std::string dead = ".vellumark-tmp-" + std::to_string(child) + "-0-.directory";
	const std::string live = ".vellumark-tmp-" + std::to_string(getpid()) + "-0-.directory";
	const std::set<std::string> kept = {live, ".vellumark-tmp-x-0-a", ".vellumark-tmpfile", "a"};
	for (const std::string& name : kept)
		WriteFile(In(name), "x");
	WriteFile(In(dead), "x");
	fFiles.RemoveStaleTemporaries();
	EXPECT_EQ(Names(), kept);
}

}  // namespace
