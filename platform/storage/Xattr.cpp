#include "storage/Xattr.h"

#include <errno.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "storage/EntryPaths.h"
#include "storage/StorageErrors.h"

namespace platform {

namespace {

bool HasProcFds()
{
	static const bool has = access("/proc/self/fd", X_OK) == 0;
	return has;
}

const int kRetries = 5;

}  // namespace

Xattr::Xattr(int fd, bool readable, const std::string& path) :
	fFd(readable ? fd : -1),
	fFollow(false)
{
	if (readable)
		return;
	fFollow = HasProcFds();
	fTarget = fFollow ? DescriptorPath(fd) : path;
}

ssize_t Xattr::Get(const char* name, void* buffer, size_t size) const
{
	if (fFd >= 0)
		return fgetxattr(fFd, name, buffer, size);
	if (fFollow)
		return getxattr(fTarget.c_str(), name, buffer, size);
	return lgetxattr(fTarget.c_str(), name, buffer, size);
}

status_t Xattr::Read(const char* name, size_t sizeHint, std::vector<uint8>* value) const
{
	// A size of 0 would ask for the size instead of the value.
	size_t size = sizeHint < 1 ? 1 : sizeHint < kMaxValueSize ? sizeHint : kMaxValueSize;
	for (int attempt = 0; attempt < kRetries; attempt++) {
		value->resize(size);
		ssize_t length = Get(name, value->data(), size);
		if (length >= 0) {
			value->resize(length);
			return B_OK;
		}
		if (errno != ERANGE || attempt + 1 == kRetries)
			break;
		// Larger than the hint (or grown since): ask for the size, then read again.
		length = Get(name, NULL, 0);
		if (length < 0)
			break;
		if (length == 0) {
			value->clear();
			return B_OK;
		}
		size = length;
	}
	value->clear();
	return StatusForErrno(errno);
}

status_t Xattr::Write(const char* name, const std::vector<uint8>& value) const
{
	int result = fFd >= 0 ? fsetxattr(fFd, name, value.data(), value.size(), 0)
		: fFollow         ? setxattr(fTarget.c_str(), name, value.data(), value.size(), 0)
						  : lsetxattr(fTarget.c_str(), name, value.data(), value.size(), 0);
	return result == 0 ? B_OK : StatusForErrno(errno);
}

status_t Xattr::Remove(const char* name) const
{
	int result = fFd >= 0 ? fremovexattr(fFd, name)
		: fFollow         ? removexattr(fTarget.c_str(), name)
						  : lremovexattr(fTarget.c_str(), name);
	return result == 0 ? B_OK : StatusForErrno(errno);
}

}  // namespace platform
