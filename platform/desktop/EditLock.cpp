#include "desktop/EditLock.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "storage/StorageErrors.h"

namespace platform {

namespace {

// The window waits while a Set icon runs: a save by another program takes milliseconds.
const auto kWait = std::chrono::milliseconds(2000);
const auto kFirstPause = std::chrono::milliseconds(2);
const auto kLongestPause = std::chrono::milliseconds(50);
// Older than this, a lock is left over whoever holds it: saving a small file takes far less.
const double kStaleSeconds = 30;
// A lock stands empty only between its creation and its first write (microseconds, for the
// programs that write it in place): empty this long, its maker died in between.
const double kUnfinishedSeconds = 1;
const size_t kMaxLockSize = 1024;

std::string FirstLine(const char* path)
{
	char buffer[128] = {};
	int fd = open(path, O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return std::string();
	ssize_t got = read(fd, buffer, sizeof(buffer) - 1);
	close(fd);
	std::string line(buffer, got > 0 ? size_t(got) : 0);
	return line.substr(0, line.find('\n'));
}

// What a lock says of its holder's whereabouts, as the lines of its content.
struct Whereabouts {
	std::string host;
	std::string machine;
	std::string boot;
	std::string pidNamespace;
};

const Whereabouts& Here()
{
	static const Whereabouts here = [] {
		Whereabouts w;
		char name[256] = {};
		gethostname(name, sizeof(name) - 1);
		w.host = name;
		w.machine = FirstLine("/etc/machine-id");
		w.boot = FirstLine("/proc/sys/kernel/random/boot_id");
		char link[64] = {};
		if (readlink("/proc/self/ns/pid", link, sizeof(link) - 1) > 0)
			w.pidNamespace = link;
		return w;
	}();
	return here;
}

std::vector<std::string> Lines(const std::string& content)
{
	std::vector<std::string> lines;
	size_t start = 0;
	while (start < content.size()) {
		size_t end = content.find('\n', start);
		if (end == std::string::npos)
			break;  // a line still being written
		lines.push_back(content.substr(start, end - start));
		start = end + 1;
	}
	return lines;
}

// "PID\nPROGRAM\nHOST\n", then, from newer writers, "MACHINE\nBOOT\n", and from us "PIDNS\n".
bool IsStaleContent(const std::string& content, double ageSeconds)
{
	std::vector<std::string> lines = Lines(content);
	char* end = NULL;
	long pid = lines.empty() ? 0 : strtol(lines[0].c_str(), &end, 10);
	if (lines.size() < 3 || pid <= 0 || *end != '\0')
		return ageSeconds >= kUnfinishedSeconds;
	const Whereabouts& here = Here();
	bool named = lines.size() > 3 && !lines[3].empty();
	if (named ? lines[3] != here.machine : lines[2] != here.host)
		return false;
	if (lines.size() > 4 && !lines[4].empty() && !here.boot.empty() && lines[4] != here.boot)
		return true;  // written before this machine last started
	if (lines.size() > 5 && !here.pidNamespace.empty() && lines[5] == here.pidNamespace)
		return kill(pid_t(pid), 0) != 0 && errno == ESRCH;
	return false;
}

std::string Content()
{
	const Whereabouts& here = Here();
	return std::to_string(getpid()) + "\nvellumark\n" + here.host + "\n" + here.machine + "\n"
		+ here.boot + "\n" + here.pidNamespace + "\n";
}

// Negative for a lock from the future (a clock set back): never stale by age.
double AgeSeconds(const struct stat& st)
{
	struct timespec now;
	clock_gettime(CLOCK_REALTIME, &now);
	return double(now.tv_sec - st.st_mtim.tv_sec) + double(now.tv_nsec - st.st_mtim.tv_nsec) / 1e9;
}

}  // namespace

EditLock::EditLock(int folderFd, const std::string& name, const std::string& temporary) :
	fFolder(folderFd),
	fLockName(name + ".lock"),
	fTemporary(temporary),
	fDevice(0),
	fNode(0),
	fHeld(false),
	fLeftBehind(false)
{
}

EditLock::~EditLock()
{
	Release();
}

bool EditLock::Release()
{
	if (!fHeld)
		return true;
	fHeld = false;
	// Only our own lock goes: one taken over as stale by somebody else is theirs now.
	struct stat st;
	if (fstatat(fFolder, fLockName.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || st.st_dev != fDevice
		|| st.st_ino != fNode)
		return true;
	return unlinkat(fFolder, fLockName.c_str(), 0) == 0 || errno == ENOENT;
}

status_t EditLock::Acquire()
{
	const auto deadline = std::chrono::steady_clock::now() + kWait;
	struct stat written;
	status_t status = WriteTemporary(&written);
	auto pause = kFirstPause;
	bool removedLast = false;
	while (status == B_OK) {
		status = Link();
		if (status == B_OK) {
			fDevice = written.st_dev;
			fNode = written.st_ino;
			fHeld = true;
			break;
		}
		if (status != B_FILE_EXISTS)
			break;
		bool removed = false;
		status = RemoveIfStale(&removed);
		auto now = std::chrono::steady_clock::now();
		if (status == B_OK && now >= deadline)
			status = B_BUSY;
		// Right after a stale lock went, the next try may go at once; never twice running.
		if (status == B_OK && (!removed || removedLast)) {
			std::this_thread::sleep_for(
				std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
			pause = std::min(pause * 2, kLongestPause);
		}
		removedLast = removed;
	}
	if (unlinkat(fFolder, fTemporary.c_str(), 0) != 0 && errno != ENOENT)
		fLeftBehind = true;
	return status;
}

// The content is written whole under the temporary name, to be linked to the lock's name.
status_t EditLock::WriteTemporary(struct stat* written) const
{
	int fd = openat(
		fFolder, fTemporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
	if (fd < 0)
		return StatusForErrno(errno);
	const std::string content = Content();
	status_t status = B_OK;
	ssize_t length = write(fd, content.data(), content.size());
	if (length != ssize_t(content.size()))
		status = length < 0 ? StatusForErrno(errno) : B_DEVICE_FULL;
	else if (fstat(fd, written) != 0)
		status = StatusForErrno(errno);
	close(fd);
	return status;
}

// One step that fails with B_FILE_EXISTS while a lock is there.
status_t EditLock::Link() const
{
	if (linkat(fFolder, fTemporary.c_str(), fFolder, fLockName.c_str(), 0) == 0)
		return B_OK;
	if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP)
		return StatusForErrno(errno);
	// A file system without hard links can still move a file only to where there is none;
	// the next try then writes it again.
	return renameat2(fFolder, fTemporary.c_str(), fFolder, fLockName.c_str(), RENAME_NOREPLACE) == 0
		? B_OK
		: StatusForErrno(errno);
}

// removed is set when the lock went (or was gone already): the next try may make it.
status_t EditLock::RemoveIfStale(bool* removed) const
{
	int fd = openat(fFolder, fLockName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
	struct stat st;
	if ((fd >= 0 ? fstat(fd, &st) : fstatat(fFolder, fLockName.c_str(), &st, AT_SYMLINK_NOFOLLOW))
		!= 0) {
		int error = errno;
		if (fd >= 0)
			close(fd);
		*removed = error == ENOENT;
		return error == ENOENT ? B_OK : StatusForErrno(error);
	}
	char content[kMaxLockSize];
	ssize_t got = fd >= 0 && S_ISREG(st.st_mode) ? read(fd, content, sizeof(content)) : -1;
	if (fd >= 0)
		close(fd);
	const double age = AgeSeconds(st);
	bool stale = age > kStaleSeconds;
	if (!stale && S_ISREG(st.st_mode) && st.st_size == 0)
		stale = age >= kUnfinishedSeconds;
	else if (!stale && got > 0)
		stale = IsStaleContent(std::string(content, got), age);
	if (!stale)
		return B_OK;
	// The very lock judged, not one that another program made in its place meanwhile.
	struct stat now;
	if (fstatat(fFolder, fLockName.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0
		|| now.st_dev != st.st_dev || now.st_ino != st.st_ino) {
		*removed = true;
		return B_OK;
	}
	if (unlinkat(fFolder, fLockName.c_str(), 0) != 0 && errno != ENOENT)
		return StatusForErrno(errno);
	*removed = true;
	return B_OK;
}

}  // namespace platform
