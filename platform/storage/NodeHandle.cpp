#include <NodeHandle.h>

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <utility>

#include "storage/StorageErrors.h"

namespace platform {

NodeHandle::NodeHandle(int fd, const struct stat& st, bool readable, std::string path) :
	fFd(fd),
	fDevice(st.st_dev),
	fInode(st.st_ino),
	fFileType(st.st_mode & S_IFMT),
	fReadable(readable),
	fPath(std::move(path))
{
}

NodeHandle::NodeHandle(NodeHandle&& other) noexcept :
	fFd(other.fFd),
	fDevice(other.fDevice),
	fInode(other.fInode),
	fFileType(other.fFileType),
	fReadable(other.fReadable),
	fPath(std::move(other.fPath))
{
	other.fFd = -1;
	other.Reset();
}

NodeHandle& NodeHandle::operator=(NodeHandle&& other) noexcept
{
	if (this != &other) {
		Reset();
		fFd = other.fFd;
		fDevice = other.fDevice;
		fInode = other.fInode;
		fFileType = other.fFileType;
		fReadable = other.fReadable;
		fPath = std::move(other.fPath);
		other.fFd = -1;
		other.Reset();
	}
	return *this;
}

NodeHandle::~NodeHandle()
{
	Reset();
}

void NodeHandle::Reset()
{
	if (fFd >= 0)
		close(fFd);
	fFd = -1;
	fDevice = -1;
	fInode = -1;
	fFileType = 0;
	fReadable = false;
	fPath.clear();
}

NodeHandle NodeHandle::Duplicate() const
{
	NodeHandle copy;
	if (fFd < 0)
		return copy;
	copy.fFd = fcntl(fFd, F_DUPFD_CLOEXEC, 0);
	if (copy.fFd < 0)
		return copy;
	copy.fDevice = fDevice;
	copy.fInode = fInode;
	copy.fFileType = fFileType;
	copy.fReadable = fReadable;
	copy.fPath = fPath;
	return copy;
}

// A file or folder that may be read is held open for reading. It is opened so only when it
// was one just before, and kept only when it is still that node; anything else (a device, a
// link) is opened for no more than its attributes.
status_t NodeHandle::OpenBelow(int dirFd, const char* name, std::string path, NodeHandle* handle)
{
	struct stat st, seen;
	int fd = -1;
	if (fstatat(dirFd, name, &seen, AT_SYMLINK_NOFOLLOW) == 0
		&& (S_ISREG(seen.st_mode) || S_ISDIR(seen.st_mode))) {
		int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
		fd = openat(dirFd, name, S_ISDIR(seen.st_mode) ? flags | O_DIRECTORY : flags);
		if (fd >= 0
			&& (fstat(fd, &st) != 0 || st.st_dev != seen.st_dev || st.st_ino != seen.st_ino)) {
			close(fd);
			fd = -1;
		}
	}
	const bool readable = fd >= 0;
	if (fd < 0) {
		fd = openat(dirFd, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
		int error = errno;
		if (fd >= 0 && fstat(fd, &st) != 0) {
			error = errno;
			close(fd);
			fd = -1;
		}
		if (fd < 0)
			return StatusForErrno(error);
	}
	*handle = NodeHandle(fd, st, readable, std::move(path));
	return B_OK;
}

status_t NodeHandle::OpenFolder(
	std::string path, dev_t device, ino_t inode, Access access, NodeHandle* handle)
{
	int fd = -1;
	if (access != kPathOnly) {
		int flags = O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC;
		fd = open(path.c_str(), access == kForReading ? flags | O_NOFOLLOW : flags);
		if (fd < 0 && access == kForReading)
			return B_ENTRY_NOT_FOUND;
		if (fd < 0 && errno != EACCES && errno != EPERM)
			return StatusForErrno(errno);
	}
	const bool readable = fd >= 0;
	if (fd < 0)
		fd = open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
	if (fd < 0)
		return StatusForErrno(errno);
	struct stat st;
	if (fstat(fd, &st) != 0 || st.st_dev != device || st.st_ino != inode) {
		close(fd);
		return B_ENTRY_NOT_FOUND;
	}
	*handle = NodeHandle(fd, st, readable, std::move(path));
	return B_OK;
}

}  // namespace platform
