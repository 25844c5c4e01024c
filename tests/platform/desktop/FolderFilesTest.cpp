#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "desktop/FolderFiles.h"

using platform::FolderFiles;
using namespace testing_support;

namespace {

const size_t kMaxSize = 64 * 1024;

FolderFiles::EditAction AppendNew(const std::string& text, bool, std::string* edited)
{
	*edited = text + "new\n";
	return FolderFiles::kWrite;
}

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
	~FolderFilesTest() override { close(fFd); }

	std::string In(const std::string& name) const { return fDir.Join(name); }

	TempDir fDir;
	int fFd = open(fDir.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	FolderFiles fFiles{fFd};
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
		SCOPED_TRACE("row " + std::to_string(i));
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
		EXPECT_EQ(status, B_OK);
		EXPECT_EQ(calls, 2);
		EXPECT_EQ(ReadFile(In("f")), kRows[i].expected);
		EXPECT_EQ(FolderNames(fDir.Path()), std::vector<std::string>{"f"});
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

// What a file of the system says on its first line.
std::string FirstLine(const char* path)
{
	std::string text = ReadFile(path);
	return text.substr(0, text.find('\n'));
}

// Sets the node's modification time (a link's own) that many whole seconds back.
void Age(const std::string& path, time_t seconds)
{
	const struct timespec then = {time(NULL) - seconds, 0}, times[2] = {then, then};
	utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

// Edits the file f of the folder to "new\n". Run as nobody, the status comes back through the
// exit status: one of these, else B_ERROR.
const status_t kStatuses[] = {B_OK, B_NOT_ALLOWED, B_PERMISSION_DENIED, B_BUSY};

status_t EditIn(const std::string& folder, bool unprivileged)
{
	auto edit = [&] {
		int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
		status_t status = FolderFiles(fd).Edit("f", kMaxSize, AppendNew);
		close(fd);
		return status;
	};
	if (!unprivileged)
		return edit();
	size_t index = size_t(RunUnprivileged([&] {
		return int(std::find(std::begin(kStatuses), std::end(kStatuses), edit()) - kStatuses);
	}));
	return index < std::size(kStatuses) ? kStatuses[index] : B_ERROR;
}

// The new text is a new file renamed into place, so that a reader sees the old file or the
// new one, never a part. It keeps the owner, group and permissions of the file, without a
// set-id or sticky bit; a file whose owner cannot be kept (another user's, edited by an
// unprivileged user) is left as it is.
TEST_F(FolderFilesTest, EditKeepsOwnerGroupAndModeOrLeavesTheFileAlone)
{
	const struct {
		bool others;  // the file is user 1002's and group 1500's, else this process's
		mode_t mode;  // the file's
		mode_t folderMode;
		bool unprivileged;  // edited by nobody, in a folder of nobody's: the file stays
		mode_t after;
	} kRows[] = {
		{false, 0600, 0755, false, 0600},
		{true, 04777, 0755, false, 0777},
		{false, 07666, 0755, false, 0666},
		{true, 04666, 01777, true, 04666},
		{true, 0666, 0777, true, 0666},
	};
	const struct passwd* nobody = getpwnam("nobody");
	for (size_t i = 0; i < std::size(kRows); i++) {
		const auto& row = kRows[i];
		SCOPED_TRACE("row " + std::to_string(i));
		if (geteuid() != 0 && row.others)
			continue;  // another user's file needs root to be made
		const uid_t uid = row.others ? 1002 : geteuid(), gid = row.others ? 1500 : getegid();
		std::string folder = fDir.Make("row" + std::to_string(i), true), path = folder + "/f";
		chmod(folder.c_str(), row.folderMode);
		uid_t folderOwner = !row.unprivileged ? geteuid() : nobody != NULL ? nobody->pw_uid : 65534;
		ASSERT_EQ(chown(folder.c_str(), folderOwner, -1), 0);
		WriteFile(path, "old\n");
		ASSERT_TRUE(chown(path.c_str(), uid, gid) == 0 && chmod(path.c_str(), row.mode) == 0);
		struct stat before, after;
		ASSERT_EQ(stat(path.c_str(), &before), 0);
		EXPECT_EQ(EditIn(folder, row.unprivileged), row.unprivileged ? B_NOT_ALLOWED : B_OK);
		ASSERT_EQ(stat(path.c_str(), &after), 0);
		EXPECT_EQ(after.st_ino != before.st_ino, !row.unprivileged);
		EXPECT_EQ(after.st_uid, uid);
		EXPECT_EQ(after.st_gid, gid);
		EXPECT_EQ(after.st_mode & 07777, row.after);
		EXPECT_EQ(ReadFile(path), row.unprivileged ? "old\n" : "old\nnew\n");
		EXPECT_EQ(FolderNames(folder), std::vector<std::string>{"f"});
	}
}

// A lock is taken over when its holder is known to be gone: a process of this PID namespace
// that no longer exists, a boot of this machine that is over, content never written, or an
// age no save takes. A holder that may live elsewhere (another namespace, another host, a
// lock that does not say its namespace) keeps it until then. The wait has one deadline, and
// a stale lock that cannot be removed ends it at once.
TEST_F(FolderFilesTest, EditTakesOverOnlyLocksWhoseHolderIsKnownGoneAndNeverWaitsLong)
{
	pid_t dead = DeadProcess();
	ASSERT_GT(dead, 0);
	const std::string host = FirstLine("/proc/sys/kernel/hostname"),
					  machine = FirstLine("/etc/machine-id"),
					  boot = FirstLine("/proc/sys/kernel/random/boot_id"),
					  ns = std::filesystem::read_symlink("/proc/self/ns/pid");
	auto ours = [&](pid_t pid, const std::string& bootId, const std::string& pidNs,
					const std::string& onMachine) {
		return std::to_string(pid) + "\nvellumark\n" + host + "\n" + onMachine + "\n" + bootId
			+ "\n" + pidNs + "\n";
	};
	const std::string kde = std::to_string(dead) + "\ndolphin\n" + host + "\n";
	enum Folder {
		kPlain,
		kStickyOfRoot,  // 1777: the lock is root's, the edit nobody's
		kUnwritable,  // 0755, root's: the same
		kSymlinked,  // the lock is a link to a file outside the folder, never followed
		kHardLinked  // the lock is another name of a file outside: only the name goes
	};
	const struct {
		std::string lock;
		time_t age;
		Folder folder;
		bool taken;
		double within;  // seconds
	} kRows[] = {
		{ours(getpid(), boot, ns, machine), 0, kPlain, false, 5},
		{ours(dead, boot, ns, machine), 0, kPlain, true, 0.5},
		{ours(dead, boot, "pid:[1]", machine), 0, kPlain, false, 5},
		{ours(dead, "another-boot", "pid:[1]", machine), 0, kPlain, true, 0.5},
		{ours(dead, boot, ns, "another-machine"), 0, kPlain, false, 5},
		{kde, 0, kPlain, false, 5},
		{kde, 27, kPlain, false, 5},
		{kde, 31, kPlain, true, 0.5},
		{"", 0, kPlain, true, 5},
		{std::to_string(getpid()), 0, kPlain, true, 5},
		{kde, 60, kStickyOfRoot, false, 1},
		{kde, 60, kUnwritable, false, 1},
		{kde, 60, kSymlinked, true, 0.5},
		{kde, 60, kHardLinked, true, 0.5},
	};
	for (size_t i = 0; i < std::size(kRows); i++) {
		const auto& row = kRows[i];
		SCOPED_TRACE("row " + std::to_string(i));
		const bool nobody = row.folder == kStickyOfRoot || row.folder == kUnwritable;
		if (nobody && geteuid() != 0)
			continue;  // the lock must be another user's than the editor's
		std::string folder = fDir.Make("row" + std::to_string(i), true);
		chmod(folder.c_str(), row.folder == kStickyOfRoot ? 01777 : 0755);
		WriteFile(folder + "/f", "old\n");
		chmod((folder + "/f").c_str(), 0666);
		const std::string lock = folder + "/f.lock", outside = folder + ".outside";
		const bool linked = row.folder == kSymlinked || row.folder == kHardLinked;
		WriteFile(linked ? outside : lock, row.lock);
		if (linked) {
			ASSERT_EQ(
				(row.folder == kSymlinked ? symlink : link)(outside.c_str(), lock.c_str()), 0);
		}
		Age(lock, row.age);
		auto start = std::chrono::steady_clock::now();
		status_t status = EditIn(folder, nobody);
		std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
		EXPECT_EQ(status == B_OK, row.taken) << status;
		EXPECT_LT(took.count(), row.within);
		EXPECT_EQ(ReadFile(folder + "/f"), row.taken ? "old\nnew\n" : "old\n");
		// Our own lock goes with the edit; another's stays; a file the lock's name led to stays.
		EXPECT_EQ(FolderNames(folder).size(), row.taken ? 1u : 2u);
		EXPECT_EQ(ReadFile(outside), linked ? row.lock : "");
	}
}

// Nothing but a file directly in the folder is ever looked at or changed.
TEST_F(FolderFilesTest, EveryCallRefusesANameThatIsNotOneComponent)
{
	WriteFile(In("f"), "x");
	std::string text;
	for (const char* name : {static_cast<const char*>(NULL), "", ".", "..", "./f"}) {
		const std::string row = name != NULL ? name : "NULL";
		EXPECT_EQ(fFiles.Read(name, kMaxSize, &text), B_BAD_VALUE) << row;
		EXPECT_EQ(fFiles.Peek(name, kMaxSize, &text), B_BAD_VALUE) << row;
		EXPECT_EQ(fFiles.Replace(name, "y"), B_BAD_VALUE) << row;
		EXPECT_EQ(fFiles.Edit(name, kMaxSize, AppendNew), B_BAD_VALUE) << row;
		EXPECT_EQ(fFiles.Seal(name), B_BAD_VALUE) << row;
		EXPECT_FALSE(fFiles.IsSealed(name)) << row;
		EXPECT_EQ(fFiles.Remove(name), B_BAD_VALUE) << row;
	}
	EXPECT_EQ(ReadFile(In("f")), "x");
	EXPECT_EQ(FolderNames(fDir.Path()), std::vector<std::string>{"f"});
}

TEST_F(FolderFilesTest, OnlyTemporariesOfDeadProcessesAreCleanedUp)
{
	pid_t child = DeadProcess();
	ASSERT_GT(child, 0);
	const std::string dead = ".vellumark-tmp-" + std::to_string(child), deadLink = dead + "-1-a";
	const std::string live = ".vellumark-tmp-" + std::to_string(getpid()) + "-0-.directory";
	std::vector<std::string> kept = {deadLink, live, ".vellumark-tmp-x-0-a", ".vellumark-tmp-0-0-a",
		dead + "x-0-a", ".vellumark-tmpfile", "a", "outside"};
	std::sort(kept.begin(), kept.end());
	for (const std::string& name : kept)
		WriteFile(In(name), "x");
	// A dead process's names: a file goes; a link, never followed, stays; another name of a
	// file goes, and the file stays under its own.
	WriteFile(In(dead + "-0-.directory"), "x");
	unlink(In(deadLink).c_str());
	ASSERT_TRUE(symlink("outside", In(deadLink).c_str()) == 0
		&& link(In("outside").c_str(), In(dead + "-2-a").c_str()) == 0);
	fFiles.RemoveStaleTemporaries();
	EXPECT_EQ(FolderNames(fDir.Path()), kept);
	EXPECT_EQ(ReadFile(In("outside")), "x");
}

// A listing ends at its count of names, and after the folder's first 65,536 entries ("." and
// ".." come first among them), so that a folder of millions is listed in bounded time.
TEST(FolderFiles, NamesStopsAtItsCountAndAtItsEntryBudget)
{
	// On tmpfs where there is one: 65,535 files in an ext4 folder take half a minute to make.
	TempDir fallback;
	std::string path = "/dev/shm/vellumark-names-XXXXXX";
	if (mkdtemp(path.data()) == NULL)
		path = fallback.Path();
	int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	FolderFiles files(fd);
	auto make = [fd](const std::string& name) {
		close(openat(fd, name.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));
	};
	auto ours = [](const std::string& name) { return name[0] == 'm'; };
	for (const char* name : {"a", "m0", "m1", "m2", "z"})
		make(name);
	for (size_t count : {2, 3, 4})
		EXPECT_EQ(files.Names(ours, count).size(), std::min<size_t>(count, 3)) << count;
	unlinkat(fd, "a", 0);
	unlinkat(fd, "z", 0);
	// Rows at 65,533, 65,534 and 65,535 names, each after the two entries that come first.
	for (int made = 3; made < 65533; made++)
		make("m" + std::to_string(made));
	for (size_t names : {65533, 65534, 65535}) {
		EXPECT_EQ(files.Names(ours, SIZE_MAX).size(), std::min<size_t>(names, 65534)) << names;
		make("m" + std::to_string(names));
	}
	close(fd);
	std::filesystem::remove_all(path);
}

}  // namespace
