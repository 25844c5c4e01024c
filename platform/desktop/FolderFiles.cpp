#include "desktop/FolderFiles.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

#include <StorageDefs.h>

#include "desktop/EditLock.h"
#include "storage/StorageErrors.h"

namespace platform {

namespace {

const mode_t kNewFileMode = 0644;
const int kOpenAttempts = 5;
const int kEditAttempts = 8;
const char kTemporaryPrefix[] = ".vellumark-tmp-";
const int kMaxEntriesScanned = 4096;
// Enough for every image of ours in any folder a person keeps; a folder of millions of
// files is listed in bounded time, and an old image past the budget only stays on disk.
const size_t kMaxEntriesListed = 65536;

std::atomic<unsigned> sTemporaryCount(0);

// A file of one link only: a hard link would let a change reach a name outside the folder.
bool IsOwnFile(const struct stat& st)
{
	return S_ISREG(st.st_mode) && st.st_nlink == 1;
}

status_t OpenError()
{
	return errno == ELOOP ? B_NOT_ALLOWED : StatusForErrno(errno);
}

}  // namespace

FolderFiles::FolderFiles(int folderFd) :
	fFolder(folderFd),
	fLeftBehind(false)
{
}

void FolderFiles::Discard(const char* name) const
{
	if (unlinkat(fFolder, name, 0) != 0 && errno != ENOENT)
		fLeftBehind = true;
}

bool FolderFiles::IsPlainName(const char* name)
{
	return name != NULL && name[0] != '\0' && strchr(name, '/') == NULL && strcmp(name, ".") != 0
		&& strcmp(name, "..") != 0;
}

// The file stays open while its snapshot lives, so that its inode number cannot be given
// to another file meanwhile: the number alone then tells the very file read.
struct FolderFiles::Snapshot {
	bool exists = false;
	int fd = -1;
	struct stat st = {};
	std::string content;

	Snapshot() = default;
	Snapshot(const Snapshot&) = delete;
	Snapshot& operator=(const Snapshot&) = delete;
	~Snapshot()
	{
		if (fd >= 0)
			close(fd);
	}
};

status_t FolderFiles::Read(const char* name, size_t maxSize, std::string* content) const
{
	Snapshot snapshot;
	status_t status = ReadSnapshot(name, maxSize, &snapshot);
	content->swap(snapshot.content);
	return status;
}

status_t FolderFiles::Peek(const char* name, size_t maxSize, std::string* content) const
{
	Snapshot snapshot;
	status_t status = ReadSnapshot(name, maxSize, &snapshot, true);
	content->swap(snapshot.content);
	return status;
}

status_t FolderFiles::ReadSnapshot(
	const char* name, size_t maxSize, Snapshot* snapshot, bool anyLinkCount) const
{
	if (!IsPlainName(name))
		return B_BAD_VALUE;
	int fd = -1;
	struct stat& st = snapshot->st;
	std::string* content = &snapshot->content;
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
	snapshot->exists = true;
	if (status == B_OK && !(anyLinkCount ? S_ISREG(st.st_mode) : IsOwnFile(st)))
		status = B_NOT_ALLOWED;
	else if (status == B_OK && size_t(st.st_size) > maxSize)
		status = B_BAD_DATA;
	if (status == B_OK) {
		// Read one byte past the size, and on while the file grows, up to one byte past the
		// limit: a file that grew past it since is still refused. Sized by the file, not the
		// limit, so that a small file costs no large buffer.
		const size_t limit = maxSize + 1;
		content->resize(size_t(st.st_size) + 1);
		size_t total = 0;
		while (total < limit) {
			if (total == content->size())
				content->resize(std::min(content->size() * 2, limit));
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
	snapshot->fd = fd;
	return status;
}

// The last look before a rename or removal, one system call long: other programs replace
// the file with a new node, so the node tells whether the file is still the one read (one
// that was there).
bool FolderFiles::SameNodeStill(const char* name, const Snapshot& snapshot) const
{
	struct stat st;
	return fstatat(fFolder, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_ino == snapshot.st.st_ino
		&& st.st_dev == snapshot.st.st_dev && st.st_size == snapshot.st.st_size
		&& st.st_mtim.tv_sec == snapshot.st.st_mtim.tv_sec
		&& st.st_mtim.tv_nsec == snapshot.st.st_mtim.tv_nsec;
}

// Checked right before a rename or removal: the file at name is still the one read (one that
// was there).
bool FolderFiles::Unchanged(const char* name, size_t maxSize, const Snapshot& snapshot) const
{
	Snapshot now;
	status_t status = ReadSnapshot(name, maxSize, &now);
	return status == B_OK && now.st.st_dev == snapshot.st.st_dev
		&& now.st.st_ino == snapshot.st.st_ino && now.st.st_size == snapshot.st.st_size
		&& now.st.st_mtim.tv_sec == snapshot.st.st_mtim.tv_sec
		&& now.st.st_mtim.tv_nsec == snapshot.st.st_mtim.tv_nsec && now.content == snapshot.content;
}

bool FolderFiles::IsSealed(const char* name) const
{
	struct stat st;
	return IsPlainName(name) && fstatat(fFolder, name, &st, AT_SYMLINK_NOFOLLOW) == 0
		&& IsOwnFile(st) && (st.st_mode & 0222) == 0;
}

status_t FolderFiles::Seal(const char* name) const
{
	if (!IsPlainName(name))
		return B_BAD_VALUE;
	int fd = openat(fFolder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
	if (fd < 0)
		return OpenError();
	struct stat st;
	status_t status = fstat(fd, &st) == 0 ? B_OK : StatusForErrno(errno);
	if (status == B_OK && !IsOwnFile(st))
		status = B_NOT_ALLOWED;
	if (status == B_OK && (st.st_mode & 0222) != 0 && fchmod(fd, st.st_mode & 0555) != 0)
		status = StatusForErrno(errno);
	close(fd);
	return status;
}

status_t FolderFiles::WriteAll(int fd, const std::string& content)
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
	return B_OK;
}

// Written under a name that says whose it is and which process made it, so that one left
// behind by a crash can be told from any other file and taken away.
std::string FolderFiles::TemporaryName(const char* name)
{
	char buffer[B_FILE_NAME_LENGTH];
	snprintf(buffer, sizeof(buffer), "%s%d-%u-%.180s", kTemporaryPrefix, int(getpid()),
		sTemporaryCount.fetch_add(1), name);
	return buffer;
}

status_t FolderFiles::WriteTemporary(const char* name, const std::string& content,
	const struct stat* like, std::string* temporary, ino_t* written) const
{
	*temporary = TemporaryName(name);
	// Private until it has the mode of the file it replaces: the old file may be private.
	int fd = openat(fFolder, temporary->c_str(),
		O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, like != NULL ? 0600 : kNewFileMode);
	if (fd < 0)
		return OpenError();
	status_t status = WriteAll(fd, content);
	struct stat st;
	if (status == B_OK && fstat(fd, &st) != 0)
		status = StatusForErrno(errno);
	if (status == B_OK && like != NULL)
		status = TakeOwnerAndMode(fd, st, *like);
	if (status == B_OK && written != NULL)
		*written = st.st_ino;
	if (status == B_OK && fsync(fd) != 0)
		status = StatusForErrno(errno);
	if (close(fd) != 0 && status == B_OK)
		status = StatusForErrno(errno);
	if (status != B_OK)
		Discard(temporary->c_str());
	return status;
}

// The new file gets the owner, group and permissions of the one it replaces, never a
// set-id or sticky bit. A file whose owner or group we may not give it (another user's)
// is not ours to replace: B_NOT_ALLOWED, and it stays as it is.
status_t FolderFiles::TakeOwnerAndMode(int fd, const struct stat& st, const struct stat& like)
{
	if ((st.st_uid != like.st_uid || st.st_gid != like.st_gid)
		&& fchown(fd, like.st_uid, like.st_gid) != 0)
		return errno == EPERM ? B_NOT_ALLOWED : StatusForErrno(errno);
	return fchmod(fd, like.st_mode & 0777) == 0 ? B_OK : StatusForErrno(errno);
}

void FolderFiles::SyncFolder() const
{
	fsync(fFolder);
}

status_t FolderFiles::Replace(const char* name, const std::string& content) const
{
	if (!IsPlainName(name))
		return B_BAD_VALUE;
	// A regular file seen without a link was being replaced by another one: not a file to
	// keep out of, but one whose place is being taken, as this one's will be.
	struct stat st;
	bool exists = fstatat(fFolder, name, &st, AT_SYMLINK_NOFOLLOW) == 0;
	if (exists && !IsOwnFile(st) && !(S_ISREG(st.st_mode) && st.st_nlink == 0))
		return B_NOT_ALLOWED;
	std::string temporary;
	ino_t written = 0;
	status_t status = WriteTemporary(name, content, NULL, &temporary, &written);
	if (status != B_OK)
		return status;
	// Only the file looked at is replaced: one that another program makes or puts there
	// meanwhile stays, and B_BUSY says so.
	status = exists ? ExchangeFrom(temporary.c_str(), name, st, written)
					: MakeFrom(temporary.c_str(), name);
	Discard(temporary.c_str());
	if (status == B_OK)
		SyncFolder();
	return status;
}

status_t FolderFiles::Edit(const char* name, size_t maxSize, const Editor& editor) const
{
	if (!IsPlainName(name))
		return B_BAD_VALUE;
	EditLock lock(fFolder, name, TemporaryName((std::string(name) + ".lock").c_str()));
	status_t status = lock.Acquire();
	fLeftBehind = fLeftBehind || lock.LeftBehind();
	if (status == B_OK)
		status = EditLocked(name, maxSize, editor);
	if (!lock.Release())
		fLeftBehind = true;
	return status;
}

status_t FolderFiles::EditLocked(const char* name, size_t maxSize, const Editor& editor) const
{
	for (int attempt = 0; attempt < kEditAttempts; attempt++) {
		Snapshot snapshot;
		status_t status = ReadSnapshot(name, maxSize, &snapshot);
		if (status != B_OK && status != B_ENTRY_NOT_FOUND)
			return status;
		snapshot.exists = status == B_OK;
		std::string edited;
		EditAction action = editor(snapshot.content, snapshot.exists, &edited);
		if (action == kKeep || (action == kRemove && !snapshot.exists))
			return B_OK;
		status = action == kRemove ? RemoveIfUnchanged(name, maxSize, snapshot)
								   : ReplaceIfUnchanged(name, maxSize, snapshot, edited);
		if (status != B_BUSY)
			return status;
	}
	return B_BUSY;
}

// B_BUSY when another program changed the file since snapshot; then nothing was changed.
status_t FolderFiles::ReplaceIfUnchanged(
	const char* name, size_t maxSize, const Snapshot& snapshot, const std::string& content) const
{
	// Another user's file could only come back as ours: it is left as it is.
	if (snapshot.exists && snapshot.st.st_uid != geteuid() && geteuid() != 0)
		return B_NOT_ALLOWED;
	std::string temporary;
	ino_t written = 0;
	status_t status =
		WriteTemporary(name, content, snapshot.exists ? &snapshot.st : NULL, &temporary, &written);
	if (status != B_OK)
		return status;
	if (!snapshot.exists)
		status = MakeFrom(temporary.c_str(), name);
	else if (!Unchanged(name, maxSize, snapshot) || !SameNodeStill(name, snapshot))
		status = B_BUSY;
	else
		status = ExchangeFrom(temporary.c_str(), name, snapshot.st, written);
	Discard(temporary.c_str());
	if (status == B_OK)
		SyncFolder();
	return status;
}

// A file that another program makes in between is theirs: never renamed over.
status_t FolderFiles::MakeFrom(const char* temporary, const char* name) const
{
	int result = renameat2(fFolder, temporary, fFolder, name, RENAME_NOREPLACE);
	if (result != 0 && (errno == EINVAL || errno == ENOSYS))
		result = linkat(fFolder, temporary, fFolder, name, 0);  // fails the same way
	if (result == 0)
		return B_OK;
	return errno == EEXIST ? B_BUSY : StatusForErrno(errno);
}

// The new file and the old one trade places in one step, so that the old one can still be
// looked at: when it is not the file that was read, another program replaced it just
// before, and it goes back. Afterwards temporary holds the file that is out.
status_t FolderFiles::ExchangeFrom(
	const char* temporary, const char* name, const struct stat& read, ino_t written) const
{
	if (renameat2(fFolder, temporary, fFolder, name, RENAME_EXCHANGE) != 0) {
		if (errno == ENOENT)
			return B_BUSY;
		if (errno != EINVAL && errno != ENOSYS)
			return StatusForErrno(errno);
		// A file system that cannot exchange: a rename right after the last check.
		return renameat(fFolder, temporary, fFolder, name) == 0 ? B_OK : StatusForErrno(errno);
	}
	struct stat out;
	if (fstatat(fFolder, temporary, &out, AT_SYMLINK_NOFOLLOW) == 0 && out.st_dev == read.st_dev
		&& out.st_ino == read.st_ino)
		return B_OK;
	renameat2(fFolder, temporary, fFolder, name, RENAME_EXCHANGE);
	// Rarer still: a third version came in meanwhile. The newest stays.
	if (fstatat(fFolder, temporary, &out, AT_SYMLINK_NOFOLLOW) == 0 && out.st_ino != written)
		renameat(fFolder, temporary, fFolder, name);
	return B_BUSY;
}

// The file is first moved aside, in one step, and looked at there: another program's
// version that came in meanwhile goes back instead of being deleted.
status_t FolderFiles::RemoveIfUnchanged(
	const char* name, size_t maxSize, const Snapshot& snapshot) const
{
	if (!Unchanged(name, maxSize, snapshot))
		return B_BUSY;
	std::string aside = TemporaryName(name);
	if (renameat2(fFolder, name, fFolder, aside.c_str(), RENAME_NOREPLACE) != 0)
		return errno == ENOENT ? B_OK : StatusForErrno(errno);
	if (Unchanged(aside.c_str(), maxSize, snapshot)) {
		status_t status = unlinkat(fFolder, aside.c_str(), 0) == 0 ? B_OK : StatusForErrno(errno);
		SyncFolder();
		return status;
	}
	if (renameat2(fFolder, aside.c_str(), fFolder, name, RENAME_NOREPLACE) != 0)
		Discard(aside.c_str());  // a newer version is already in place
	return B_BUSY;
}

status_t FolderFiles::Remove(const char* name) const
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

void FolderFiles::RemoveStaleTemporaries() const
{
	int fd = openat(fFolder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (fd < 0)
		return;
	DIR* folder = fdopendir(fd);
	if (folder == NULL) {
		close(fd);
		return;
	}
	const size_t prefixLength = strlen(kTemporaryPrefix);
	// A folder of millions of files costs no more than a look at its first entries.
	int budget = kMaxEntriesScanned;
	while (struct dirent* entry = readdir(folder)) {
		if (--budget < 0)
			break;
		if (strncmp(entry->d_name, kTemporaryPrefix, prefixLength) != 0)
			continue;
		char* end = NULL;
		long pid = strtol(entry->d_name + prefixLength, &end, 10);
		if (end == entry->d_name + prefixLength || *end != '-' || pid <= 0)
			continue;
		// A live process may be about to rename it; only a dead one's is left over.
		if (kill(pid_t(pid), 0) == 0 || errno != ESRCH)
			continue;
		// Whatever its link count: a lock linked from it, left by the same run, may still be
		// there; removing this name leaves any other name of the file as it is.
		struct stat st;
		if (fstatat(fFolder, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
			Discard(entry->d_name);
	}
	closedir(folder);
}

std::vector<std::string> FolderFiles::Names(
	bool (*matches)(const std::string& name), size_t maxNames) const
{
	std::vector<std::string> names;
	int fd = openat(fFolder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	DIR* folder = fd >= 0 ? fdopendir(fd) : NULL;
	if (folder == NULL) {
		if (fd >= 0)
			close(fd);
		return names;
	}
	size_t budget = kMaxEntriesListed;
	while (struct dirent* entry = readdir(folder)) {
		if (names.size() >= maxNames || budget-- == 0)
			break;
		if (matches(entry->d_name))
			names.push_back(entry->d_name);
	}
	closedir(folder);
	return names;
}

}  // namespace platform
