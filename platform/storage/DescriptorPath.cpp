#include "storage/DescriptorPath.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::string DescriptorPath(int fd)
{
	return "/proc/self/fd/" + std::to_string(fd);
}

std::string CurrentPath(int fd)
{
	char path[PATH_MAX];
	ssize_t length = readlink(DescriptorPath(fd).c_str(), path, sizeof(path) - 1);
	if (length <= 0 || path[0] != '/')
		return std::string();
	path[length] = '\0';
	struct stat byDescriptor, byPath;
	if (fstat(fd, &byDescriptor) != 0 || lstat(path, &byPath) != 0
		|| byDescriptor.st_dev != byPath.st_dev || byDescriptor.st_ino != byPath.st_ino)
		return std::string();
	return path;
}

}  // namespace platform
