#include "storage/Xattr.h"

#include <errno.h>
#include <stdio.h>
#include <sys/xattr.h>
#include <unistd.h>

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

Xattr::Xattr(int fd, const std::string& path) :
	fTarget(path),
	fFollow(false)
{
	if (HasProcFds()) {
		char procPath[40];
		snprintf(procPath, sizeof(procPath), "/proc/self/fd/%d", fd);
		fTarget = procPath;
		fFollow = true;
	}
}

ssize_t Xattr::Get(const std::string& name, void* buffer, size_t size) const
{
	if (fFollow)
		return getxattr(fTarget.c_str(), name.c_str(), buffer, size);
	return lgetxattr(fTarget.c_str(), name.c_str(), buffer, size);
}

status_t Xattr::Read(const std::string& name, size_t sizeHint, std::vector<uint8>* value) const
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

status_t Xattr::Write(const std::string& name, const std::vector<uint8>& value) const
{
	int result = fFollow ? setxattr(fTarget.c_str(), name.c_str(), value.data(), value.size(), 0)
						 : lsetxattr(fTarget.c_str(), name.c_str(), value.data(), value.size(), 0);
	return result == 0 ? B_OK : StatusForErrno(errno);
}

status_t Xattr::Remove(const std::string& name) const
{
	int result = fFollow ? removexattr(fTarget.c_str(), name.c_str())
						 : lremovexattr(fTarget.c_str(), name.c_str());
	return result == 0 ? B_OK : StatusForErrno(errno);
}

}  // namespace platform
