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

#include <chrono>
#include <thread>

#include "storage/StorageErrors.h"

namespace platform {

namespace {

const auto kWait = std::chrono::milliseconds(1000);
const auto kPoll = std::chrono::milliseconds(2);
// Older than this, a lock is left over whoever holds it: saving a small file takes far less.
const time_t kStaleSeconds = 30;
const size_t kMaxLockSize = 1024;

std::string HostName()
{
	char name[256] = {};
	gethostname(name, sizeof(name) - 1);
	return name;
}

}  // namespace

EditLock::EditLock(int folderFd, const std::string& name) :
	fFolder(folderFd),
	fLockName(name + ".lock"),
	fNode(0),
	fHeld(false)
{
}

EditLock::~EditLock()
{
	if (!fHeld)
		return;
	// Only our own lock goes: one taken over as stale by somebody else is theirs now.
	struct stat st;
	if (fstatat(fFolder, fLockName.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_ino == fNode)
		unlinkat(fFolder, fLockName.c_str(), 0);
}

status_t EditLock::Acquire()
{
	auto deadline = std::chrono::steady_clock::now() + kWait;
	while (!TryMake()) {
		if (errno != EEXIST)
			return StatusForErrno(errno);
		if (IsStale())
			unlinkat(fFolder, fLockName.c_str(), 0);
		else if (std::chrono::steady_clock::now() >= deadline)
			return B_BUSY;
		else
			std::this_thread::sleep_for(kPoll);
	}
	return B_OK;
}

bool EditLock::TryMake()
{
	int fd = openat(
		fFolder, fLockName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
	if (fd < 0)
		return false;
	char content[512];
	int length = snprintf(
		content, sizeof(content), "%d\nvellumark\n%s\n", int(getpid()), HostName().c_str());
	struct stat st;
	bool written = write(fd, content, length) == length && fstat(fd, &st) == 0;
	close(fd);
	if (!written) {
		unlinkat(fFolder, fLockName.c_str(), 0);
		errno = EIO;
		return false;
	}
	fNode = st.st_ino;
	fHeld = true;
	return true;
}

bool EditLock::IsStale() const
{
	int fd = openat(fFolder, fLockName.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
	if (fd < 0)
		return false;  // gone already: the next try makes it
	struct stat st;
	char content[kMaxLockSize + 1] = {};
	bool read =
		fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::read(fd, content, kMaxLockSize) >= 0;
	close(fd);
	if (!read)
		return false;
	if (time(NULL) - st.st_mtime > kStaleSeconds)
		return true;
	// "PID\nPROGRAM\nHOST\n": a process of this host that is gone holds nothing.
	char* end = NULL;
	long pid = strtol(content, &end, 10);
	if (end == content || *end != '\n' || pid <= 0)
		return false;
	const char* program = end + 1;
	const char* host = strchr(program, '\n');
	if (host == NULL)
		return false;
	host++;
	const char* hostEnd = strchr(host, '\n');
	std::string holder(host, hostEnd != NULL ? hostEnd - host : strlen(host));
	return holder == HostName() && kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

}  // namespace platform
