#include "FolderFiles.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

#include <StorageDefs.h>

#include "storage/StorageErrors.h"

namespace platform {

namespace {

const mode_t kNewFileMode = 0644;
const int kOpenAttempts = 5;

std::atomic<unsigned> sTemporaryCount(0);

// A file of one link only: a hard link would let a change reach a name outside the folder.
bool
IsOwnFile(const struct stat& st)
{
	return S_ISREG(st.st_mode) && st.st_nlink == 1;
}

status_t
OpenError()
{
	return errno == ELOOP ? B_NOT_ALLOWED : StatusForErrno(errno);
}

}  // namespace

FolderFiles::FolderFiles(int folderFd)
	:
	fFolder(folderFd)
{
}

bool
FolderFiles::IsPlainName(const char* name)
{
	return name != NULL && name[0] != '\0' && strchr(name, '/') == NULL
		&& strcmp(name, ".") != 0 && strcmp(name, "..") != 0;
}

status_t
FolderFiles::Read(const char* name, size_t maxSize, std::string* content) const
{
	if (!IsPlainName(name))
		return B_BAD_VALUE;
	int fd = -1;
	struct stat st;
	status_t status = B_OK;
	// A file left without a link was replaced after the open (another process renamed a
	// new one over it): the file of that name is the new one, so it is opened again.
	for (int attempt = 0; attempt < kOpenAttempts; attempt++) {
		if (fd >= 0)
			close(fd);
		fd = openat(fFolder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
		if (fd < 0)
			return OpenError();
		status = fstat(fd, &st) == 0 ? B_OK : StatusForErrno(errno);
		if (status != B_OK || st.st_nlink != 0)
			break;
	}
	if (status == B_OK && !IsOwnFile(st))
		status = B_NOT_ALLOWED;
	else if (status == B_OK && size_t(st.st_size) > maxSize)
		status = B_BAD_DATA;
	if (status == B_OK) {
		// Read one byte past the limit: a file that grew since is still refused.
		content->resize(maxSize + 1);
		size_t total = 0;
		while (total < content->size()) {
			ssize_t got = read(fd, &(*content)[total], content->size() - total);
			if (got < 0 && errno == EINTR)
				continue;
			if (got < 0)
				status = StatusForErrno(errno);
			if (got <= 0)
				break;
			total += got;
		}
		content->resize(total);
		if (status == B_OK && total > maxSize)
			status = B_BAD_DATA;
	}
	close(fd);
	return status;
}

bool
FolderFiles::Exists(const char* name) const
{
	struct stat st;
	return IsPlainName(name) && fstatat(fFolder, name, &st, AT_SYMLINK_NOFOLLOW) == 0;
}

status_t
FolderFiles::WriteAll(int fd, const std::string& content)
{
	size_t total = 0;
	while (total < content.size()) {
		ssize_t written = pwrite(fd, content.data() + total, content.size() - total, total);
		if (written < 0 && errno == EINTR)
			continue;
		if (written <= 0)
			return written < 0 ? StatusForErrno(errno) : B_IO_ERROR;
		total += written;
	}
	return ftruncate(fd, content.size()) == 0 ? B_OK : StatusForErrno(errno);
}

status_t
FolderFiles::Replace(const char* name, const std::string& content) const
{
	if (!IsPlainName(name))
		return B_BAD_VALUE;
	// A regular file seen without a link was being replaced by another one: not a file to
	// keep out of, but one whose place is being taken, as this one's will be.
	struct stat st;
	if (fstatat(fFolder, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && !IsOwnFile(st)
		&& !(S_ISREG(st.st_mode) && st.st_nlink == 0))
		return B_NOT_ALLOWED;
	char temporary[B_FILE_NAME_LENGTH];
	snprintf(temporary, sizeof(temporary), "%.200s.%d-%u~", name, int(getpid()),
		sTemporaryCount.fetch_add(1));
	int fd = openat(fFolder, temporary, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
		kNewFileMode);
	if (fd < 0)
		return OpenError();
	status_t status = WriteAll(fd, content);
	if (status == B_OK && fsync(fd) != 0)
		status = StatusForErrno(errno);
	if (close(fd) != 0 && status == B_OK)
		status = StatusForErrno(errno);
	if (status == B_OK && renameat(fFolder, temporary, fFolder, name) != 0)
		status = StatusForErrno(errno);
	if (status != B_OK)
		unlinkat(fFolder, temporary, 0);
	return status;
}

status_t
FolderFiles::Rewrite(const char* name, const std::string& content, bool exclusive) const
{
	if (!IsPlainName(name))
		return B_BAD_VALUE;
	int flags = O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
	if (exclusive)
		flags |= O_CREAT | O_EXCL;
	int fd = openat(fFolder, name, flags, kNewFileMode);
	if (fd < 0)
		return OpenError();
	struct stat st;
	status_t status = B_OK;
	if (fstat(fd, &st) != 0)
		status = StatusForErrno(errno);
	else if (!IsOwnFile(st))
		status = B_NOT_ALLOWED;
	else
		status = WriteAll(fd, content);
	if (close(fd) != 0 && status == B_OK)
		status = StatusForErrno(errno);
	return status;
}

status_t
FolderFiles::Remove(const char* name) const
{
	if (!IsPlainName(name))
		return B_BAD_VALUE;
	struct stat st;
	if (fstatat(fFolder, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
		return StatusForErrno(errno);
	if (!IsOwnFile(st))
		return B_NOT_ALLOWED;
	return unlinkat(fFolder, name, 0) == 0 ? B_OK : StatusForErrno(errno);
}

std::vector<std::string>
FolderFiles::Names(bool (*matches)(const std::string& name), size_t maxNames) const
{
	std::vector<std::string> names;
	int fd = openat(fFolder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	DIR* folder = fd >= 0 ? fdopendir(fd) : NULL;
	if (folder == NULL) {
		if (fd >= 0)
			close(fd);
		return names;
	}
	while (struct dirent* entry = readdir(folder)) {
		if (names.size() >= maxNames)
			break;
		if (matches(entry->d_name))
			names.push_back(entry->d_name);
	}
	closedir(folder);
	return names;
}

}  // namespace platform
