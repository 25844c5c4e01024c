#include "storage/EntryPaths.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <string.h>
#include <unistd.h>

#include "storage/StorageErrors.h"

namespace platform {

std::string PathOfRef(const entry_ref& ref)
{
	if (ref.name == NULL || strcmp(ref.name, ".") == 0)
		return ref.directory_path;
	std::string path;
	path.reserve(ref.directory_path.size() + 1 + strlen(ref.name));
	path = ref.directory_path;
	if (path.empty() || path.back() != '/')
		path += '/';
	path += ref.name;
	return path;
}

bool IsUsableRef(const entry_ref& ref)
{
	if (ref.directory_path.empty() || ref.directory_path[0] != '/' || ref.name == NULL)
		return false;
	if (ref.name[0] == '\0' || strchr(ref.name, '/') != NULL
		|| strlen(ref.name) >= B_FILE_NAME_LENGTH)
		return false;
	return ref.directory_path.find('\0') == std::string::npos;
}

status_t OpenRefDirectory(const entry_ref& ref, NodeHandle* folder, bool readable)
{
	folder->Reset();
	if (!IsUsableRef(ref))
		return B_ENTRY_NOT_FOUND;
	return NodeHandle::OpenFolder(ref.directory_path, ref.device, ref.directory,
		readable ? NodeHandle::kReadingIfAllowed : NodeHandle::kPathOnly, folder);
}

status_t StatRef(const entry_ref& ref, struct stat* st)
{
	NodeHandle folder;
	status_t status = OpenRefDirectory(ref, &folder);
	if (status != B_OK)
		return status;
	return fstatat(folder.Descriptor(), ref.name, st, AT_SYMLINK_NOFOLLOW) == 0
		? B_OK
		: StatusForErrno(errno);
}

void SplitPath(const std::string& path, std::string* folder, std::string* leaf)
{
	size_t slash = path.rfind('/');
	*folder = slash == 0 ? "/" : path.substr(0, slash);
	*leaf = path.substr(slash + 1);
}

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
	struct stat st;
	if (fstat(fd, &st) != 0 || !LeadsTo(path, st.st_dev, st.st_ino, false))
		return std::string();
	return path;
}

bool LeadsTo(const std::string& path, dev_t device, ino_t inode, bool follow)
{
	struct stat st;
	return (follow ? stat(path.c_str(), &st) : lstat(path.c_str(), &st)) == 0 && st.st_dev == device
		&& st.st_ino == inode;
}

}  // namespace platform
