// Preloaded into a Vellumark process by the fault injection test (never part of the product):
// counts the calls that write to the file system in one folder, or to the folder itself, and
// fails one of them or kills the process just before it.
//
//   VELLUMARK_FAULT_DIR   the folder; without it every call goes straight through
//   VELLUMARK_FAULT_STEP  which counted call, from 1 (0: none, only count)
//   VELLUMARK_FAULT_MODE  enospc | eio (that call fails with the error, undone) or crash
//                         (SIGKILL just before it)
//   VELLUMARK_FAULT_LOG   gets "N call path [path]" for every counted call, "<- MODE" on the
//                         one hit
//
// The count is of this process only: its children start without the interposer. Nothing here
// calls an intercepted function, and the log and the kill are raw system calls, so that a
// step never counts itself.
#undef _FORTIFY_SOURCE

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>

namespace {

char sFolder[PATH_MAX];
size_t sFolderLength = 0;
long sFaultStep = 0;
int sFaultErrno = 0;  // 0: a crash
const char* sModeName = "";
int sLog = -1;
std::atomic<long> sSteps(0);

__attribute__((constructor)) void Start()
{
	const char* folder = getenv("VELLUMARK_FAULT_DIR");
	const char* step = getenv("VELLUMARK_FAULT_STEP");
	const char* mode = getenv("VELLUMARK_FAULT_MODE");
	const char* log = getenv("VELLUMARK_FAULT_LOG");
	if (folder == NULL || realpath(folder, sFolder) == NULL)
		return;
	sFolderLength = strlen(sFolder);
	sFaultStep = step != NULL ? atol(step) : 0;
	sModeName = mode != NULL ? mode : "";
	sFaultErrno = strcmp(sModeName, "enospc") == 0 ? ENOSPC
		: strcmp(sModeName, "eio") == 0            ? EIO
												   : 0;
	if (log != NULL)
		sLog = syscall(SYS_openat, AT_FDCWD, log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
	unsetenv("LD_PRELOAD");
}

struct Path {
	char text[PATH_MAX * 2] = "";  // a folder's path and a name in it
};

// What the descriptor names, as the kernel tells it; a file unlinked since is still its path.
const char* FdPath(int fd, Path* path)
{
	char link[64];
	snprintf(link, sizeof(link), "/proc/self/fd/%d", fd);
	long length = syscall(SYS_readlinkat, AT_FDCWD, link, path->text, sizeof(path->text) - 1);
	path->text[length > 0 ? length : 0] = '\0';
	const char kDeleted[] = " (deleted)";
	size_t end = strlen(path->text);
	if (end > sizeof(kDeleted) - 1
		&& strcmp(path->text + end - sizeof(kDeleted) + 1, kDeleted) == 0)
		path->text[end - sizeof(kDeleted) + 1] = '\0';
	return path->text;
}

// A name relative to a descriptor (or the working folder) as a path whose folder part has no
// link in it: the folder is then told by its name alone.
const char* PathAt(int dirFd, const char* name, Path* path)
{
	if (name == NULL)
		return "";
	Path joined;
	if (name[0] == '/')
		snprintf(joined.text, sizeof(joined.text), "%s", name);
	else if (name[0] == '\0')
		return FdPath(dirFd, path);  // AT_EMPTY_PATH
	else if (dirFd == AT_FDCWD)
		snprintf(joined.text, sizeof(joined.text), "./%s", name);
	else
		snprintf(joined.text, sizeof(joined.text), "%s/%s", FdPath(dirFd, path), name);
	char* slash = strrchr(joined.text, '/');
	*slash = '\0';
	char folder[PATH_MAX];
	if (realpath(joined.text[0] != '\0' ? joined.text : "/", folder) == NULL)
		snprintf(folder, sizeof(folder), "%s", joined.text);
	snprintf(path->text, sizeof(path->text), "%s/%s", folder, slash + 1);
	return path->text;
}

bool InFolder(const char* path)
{
	return strncmp(path, sFolder, sFolderLength) == 0
		&& (path[sFolderLength] == '\0' || path[sFolderLength] == '/');
}

// Counts the call when it touches the folder: 0 to go on, else the error it fails with.
int Step(const char* call, const char* first, const char* second = "")
{
	if (!InFolder(first) && !InFolder(second))
		return 0;
	long step = ++sSteps;
	bool hit = step == sFaultStep;
	char line[PATH_MAX * 2 + 64];
	int length = snprintf(line, sizeof(line), "%ld %s %s%s%s%s%s\n", step, call, first,
		second[0] != '\0' ? " " : "", second, hit ? " <- " : "", hit ? sModeName : "");
	if (sLog >= 0)
		syscall(SYS_write, sLog, line, size_t(length) < sizeof(line) ? length : sizeof(line) - 1);
	if (hit && sFaultErrno == 0)
		syscall(SYS_kill, syscall(SYS_getpid), SIGKILL);
	return hit ? sFaultErrno : 0;
}

int StepFd(const char* call, int fd)
{
	Path path;
	return sFolderLength == 0 ? 0 : Step(call, FdPath(fd, &path));
}

int StepAt(
	const char* call, int dirFd, const char* name, int otherFd = AT_FDCWD, const char* other = NULL)
{
	Path path, otherPath;
	return sFolderLength == 0
		? 0
		: Step(call, PathAt(dirFd, name, &path), PathAt(otherFd, other, &otherPath));
}

bool Writes(int flags)
{
	return (flags & O_ACCMODE) != O_RDONLY || (flags & (O_CREAT | O_TRUNC)) != 0;
}

}  // namespace

// Each call: its step is counted (the step expression may use __func__, the call's name), and
// it fails or goes on to the next in line, the C library or a sanitizer's interceptor.
#define INTERCEPT(function, result, parameters, arguments, step) \
	extern "C" result function parameters \
	{ \
		static auto real = reinterpret_cast<result(*) parameters>(dlsym(RTLD_NEXT, #function)); \
		if (int failure = (step)) { \
			errno = failure; \
			return -1; \
		} \
		return real arguments; \
	}
// The mode comes only with O_CREAT or O_TMPFILE; passing it on anyway is harmless.
#define OPEN(function, parameters, arguments, dirFd) \
	extern "C" int function parameters \
	{ \
		static auto real = reinterpret_cast<int(*) parameters>(dlsym(RTLD_NEXT, #function)); \
		va_list more; \
		va_start(more, flags); \
		mode_t mode = \
			(flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(more, mode_t) : 0; \
		va_end(more); \
		if (int failure = Writes(flags) ? StepAt(__func__, dirFd, name) : 0) { \
			errno = failure; \
			return -1; \
		} \
		return real arguments; \
	}
// The checked forms that _FORTIFY_SOURCE calls where the flags are not known when compiling.
#define OPEN_2(function, parameters, arguments, dirFd) \
	INTERCEPT( \
		function, int, parameters, arguments, Writes(flags) ? StepAt(__func__, dirFd, name) : 0)
#define ON_FD(function, result, parameters, arguments) \
	INTERCEPT(function, result, parameters, arguments, StepFd(__func__, fd))
#define ON_PATH(function, result, parameters, arguments) \
	INTERCEPT(function, result, parameters, arguments, StepAt(__func__, AT_FDCWD, path))
#define ON_PATH_AT(function, parameters, arguments) \
	INTERCEPT(function, int, parameters, arguments, StepAt(__func__, dirFd, path))
#define ON_TWO_PATHS(function, parameters, arguments) \
	INTERCEPT(function, int, parameters, arguments, StepAt(__func__, AT_FDCWD, from, AT_FDCWD, to))
#define ON_TWO_PATHS_AT(function, parameters, arguments) \
	INTERCEPT(function, int, parameters, arguments, StepAt(__func__, fromFd, from, toFd, to))

OPEN(open, (const char* name, int flags, ...), (name, flags, mode), AT_FDCWD)
OPEN(open64, (const char* name, int flags, ...), (name, flags, mode), AT_FDCWD)
OPEN(openat, (int dirFd, const char* name, int flags, ...), (dirFd, name, flags, mode), dirFd)
OPEN(openat64, (int dirFd, const char* name, int flags, ...), (dirFd, name, flags, mode), dirFd)
OPEN_2(__open_2, (const char* name, int flags), (name, flags), AT_FDCWD)
OPEN_2(__open64_2, (const char* name, int flags), (name, flags), AT_FDCWD)
OPEN_2(__openat_2, (int dirFd, const char* name, int flags), (dirFd, name, flags), dirFd)
OPEN_2(__openat64_2, (int dirFd, const char* name, int flags), (dirFd, name, flags), dirFd)
ON_PATH(creat, int, (const char* path, mode_t mode), (path, mode))
ON_PATH(creat64, int, (const char* path, mode_t mode), (path, mode))

ON_FD(write, ssize_t, (int fd, const void* data, size_t size), (fd, data, size))
ON_FD(pwrite, ssize_t, (int fd, const void* data, size_t size, off_t at), (fd, data, size, at))
ON_FD(pwrite64, ssize_t, (int fd, const void* data, size_t size, off64_t at), (fd, data, size, at))
ON_FD(fsync, int, (int fd), (fd))
ON_FD(fdatasync, int, (int fd), (fd))

ON_TWO_PATHS(rename, (const char* from, const char* to), (from, to))
ON_TWO_PATHS_AT(
	renameat, (int fromFd, const char* from, int toFd, const char* to), (fromFd, from, toFd, to))
ON_TWO_PATHS_AT(renameat2,
	(int fromFd, const char* from, int toFd, const char* to, unsigned int flags),
	(fromFd, from, toFd, to, flags))
ON_TWO_PATHS(link, (const char* from, const char* to), (from, to))
ON_TWO_PATHS_AT(linkat, (int fromFd, const char* from, int toFd, const char* to, int flags),
	(fromFd, from, toFd, to, flags))
ON_PATH(unlink, int, (const char* path), (path))
ON_PATH_AT(unlinkat, (int dirFd, const char* path, int flags), (dirFd, path, flags))

ON_PATH(setxattr, int,
	(const char* path, const char* name, const void* value, size_t size, int flags),
	(path, name, value, size, flags))
ON_PATH(lsetxattr, int,
	(const char* path, const char* name, const void* value, size_t size, int flags),
	(path, name, value, size, flags))
ON_FD(fsetxattr, int, (int fd, const char* name, const void* value, size_t size, int flags),
	(fd, name, value, size, flags))
ON_PATH(removexattr, int, (const char* path, const char* name), (path, name))
ON_PATH(lremovexattr, int, (const char* path, const char* name), (path, name))
ON_FD(fremovexattr, int, (int fd, const char* name), (fd, name))

ON_PATH(chown, int, (const char* path, uid_t owner, gid_t group), (path, owner, group))
ON_PATH(lchown, int, (const char* path, uid_t owner, gid_t group), (path, owner, group))
ON_FD(fchown, int, (int fd, uid_t owner, gid_t group), (fd, owner, group))
ON_PATH_AT(fchownat, (int dirFd, const char* path, uid_t owner, gid_t group, int flags),
	(dirFd, path, owner, group, flags))
ON_PATH(chmod, int, (const char* path, mode_t mode), (path, mode))
ON_FD(fchmod, int, (int fd, mode_t mode), (fd, mode))
ON_PATH_AT(
	fchmodat, (int dirFd, const char* path, mode_t mode, int flags), (dirFd, path, mode, flags))

ON_PATH(truncate, int, (const char* path, off_t size), (path, size))
ON_PATH(truncate64, int, (const char* path, off64_t size), (path, size))
ON_FD(ftruncate, int, (int fd, off_t size), (fd, size))
ON_FD(ftruncate64, int, (int fd, off64_t size), (fd, size))
