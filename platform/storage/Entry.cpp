#include <Entry.h>

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "storage/EntryPaths.h"
#include "storage/StorageErrors.h"

using platform::LeadsTo;
using platform::OpenRefDirectory;
using platform::PathOfRef;
using platform::StatRef;

// #pragma mark - entry_ref

entry_ref::entry_ref() :
	device(-1),
	directory(-1),
	name(NULL)
{
}

entry_ref::entry_ref(dev_t device, ino_t directory, const char* name) :
	device(device),
	directory(directory),
	name(NULL)
{
	set_name(name);
}

entry_ref::entry_ref(const entry_ref& other) :
	device(other.device),
	directory(other.directory),
	name(NULL),
	directory_path(other.directory_path)
{
	set_name(other.name);
}

entry_ref::entry_ref(entry_ref&& other) noexcept :
	device(other.device),
	directory(other.directory),
	name(other.name),
	directory_path(std::move(other.directory_path))
{
	other.name = NULL;
}

entry_ref::~entry_ref()
{
	free(name);
}

status_t entry_ref::set_name(const char* newName)
{
	free(name);
	name = NULL;
	if (newName == NULL)
		return B_OK;
	name = strdup(newName);
	return name != NULL ? B_OK : B_NO_MEMORY;
}

bool entry_ref::operator==(const entry_ref& other) const
{
	if (device != other.device || directory != other.directory)
		return false;
	if (name == NULL || other.name == NULL)
		return name == other.name;
	return strcmp(name, other.name) == 0;
}

entry_ref& entry_ref::operator=(const entry_ref& other)
{
	if (this == &other)
		return *this;
	device = other.device;
	directory = other.directory;
	directory_path = other.directory_path;
	set_name(other.name);
	return *this;
}

entry_ref& entry_ref::operator=(entry_ref&& other) noexcept
{
	if (this == &other)
		return *this;
	device = other.device;
	directory = other.directory;
	directory_path = std::move(other.directory_path);
	free(name);
	name = other.name;
	other.name = NULL;
	return *this;
}

namespace {

std::string AbsolutePath(const char* path)
{
	if (path[0] == '/')
		return path;
	char* cwd = getcwd(NULL, 0);
	if (cwd == NULL)
		return std::string();
	std::string absolute = std::string(cwd) + "/" + path;
	free(cwd);
	return absolute;
}

std::string WithoutTrailingSlashes(std::string path)
{
	while (path.size() > 1 && path.back() == '/')
		path.pop_back();
	return path;
}

status_t RealPath(const std::string& path, std::string* real)
{
	char* resolved = realpath(path.c_str(), NULL);
	if (resolved == NULL)
		return platform::StatusForErrno(errno);
	*real = resolved;
	free(resolved);
	return B_OK;
}

status_t FillRef(const std::string& folder, const std::string& leaf, entry_ref* ref)
{
	if (leaf.size() >= B_FILE_NAME_LENGTH)
		return B_NAME_TOO_LONG;
	struct stat st;
	if (stat(folder.c_str(), &st) != 0)
		return platform::StatusForErrno(errno);
	if (!S_ISDIR(st.st_mode))
		return B_NOT_A_DIRECTORY;
	entry_ref made(st.st_dev, st.st_ino, leaf.c_str());
	if (made.name == NULL)
		return B_NO_MEMORY;
	made.directory_path = folder;
	*ref = std::move(made);
	return B_OK;
}

// The reference to the folder of child, open as dirFd. A reference's folder path is already
// resolved when the reference is made, so the parent is found from the open folder's ".."
// instead of resolving the path again; a folder its path no longer leads to has moved. The
// folder is named where it is now: reached through a link left at its old name, it is that
// folder, never the link.
status_t ParentRef(const entry_ref& child, int dirFd, entry_ref* ref)
{
	const std::string* current = &child.directory_path;
	std::string moved;
	if (!LeadsTo(*current, child.device, child.directory, false)) {
		if (!LeadsTo(*current, child.device, child.directory, true))
			return B_ENTRY_NOT_FOUND;
		moved = platform::CurrentPath(dirFd);
		if (!moved.empty())
			current = &moved;
	}
	if (*current == "/")
		return FillRef("/", ".", ref);
	std::string folder, leaf;
	platform::SplitPath(*current, &folder, &leaf);
	struct stat st;
	if (fstatat(dirFd, "..", &st, 0) != 0)
		return platform::StatusForErrno(errno);
	entry_ref made(st.st_dev, st.st_ino, leaf.c_str());
	if (made.name == NULL)
		return B_NO_MEMORY;
	made.directory_path = std::move(folder);
	*ref = std::move(made);
	return B_OK;
}

// The entry a symbolic link finally names; other entries stay as they are.
status_t ResolveLinks(entry_ref* ref)
{
	struct stat st;
	status_t status = StatRef(*ref, &st);
	if (status == B_ENTRY_NOT_FOUND && ref->name != NULL)
		return B_OK;  // an entry that does not exist yet is still an entry
	if (status != B_OK || !S_ISLNK(st.st_mode))
		return status;
	std::string target;
	status = RealPath(PathOfRef(*ref), &target);
	if (status != B_OK)
		return status;
	return get_ref_for_path(target.c_str(), ref);
}

}  // namespace

status_t get_ref_for_path(const char* path, entry_ref* ref)
{
	if (path == NULL || ref == NULL)
		return B_BAD_VALUE;
	if (path[0] == '\0')
		return B_ENTRY_NOT_FOUND;
	if (strlen(path) >= B_PATH_NAME_LENGTH)
		return B_NAME_TOO_LONG;
	std::string absolute = WithoutTrailingSlashes(AbsolutePath(path));
	if (absolute.empty())
		return B_ENTRY_NOT_FOUND;

	std::string folder, leaf;
	platform::SplitPath(absolute, &folder, &leaf);
	if (leaf.empty() || leaf == "." || leaf == "..") {
		// Only here is the leaf resolved: "." and ".." name folders, not entries.
		std::string real;
		status_t status = RealPath(absolute, &real);
		if (status != B_OK)
			return status;
		if (real == "/")
			return FillRef("/", ".", ref);
		platform::SplitPath(real, &folder, &leaf);
		return FillRef(folder, leaf, ref);
	}

	std::string realFolder;
	status_t status = RealPath(folder, &realFolder);
	if (status != B_OK)
		return status;
	return FillRef(realFolder, leaf, ref);
}

// #pragma mark - BEntry

BEntry::BEntry() :
	fStatus(B_NO_INIT),
	fNodeDevice(-1),
	fNodeInode(-1)
{
}

BEntry::BEntry(const entry_ref* ref, bool traverse) :
	BEntry()
{
	SetTo(ref, traverse);
}

BEntry::~BEntry()
{
}

status_t BEntry::Stat(struct stat* st) const
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (!fFolder.IsSet())
		return StatRef(fRef, st);
	// The folder held counts while its path still leads to it, as for an entry not held.
	if (!LeadsTo(fRef.directory_path, fRef.device, fRef.directory, true))
		return B_ENTRY_NOT_FOUND;
	return fstatat(fFolder.Descriptor(), fRef.name, st, AT_SYMLINK_NOFOLLOW) == 0
		? B_OK
		: platform::StatusForErrno(errno);
}

status_t BEntry::InitCheck() const
{
	return fStatus;
}

bool BEntry::Exists() const
{
	struct stat st;
	return Stat(&st) == B_OK;
}

status_t BEntry::SetTo(const entry_ref* ref, bool traverse)
{
	Unset();
	if (ref == NULL)
		return fStatus = B_BAD_VALUE;
	platform::NodeHandle folder;
	status_t status = OpenRefDirectory(*ref, &folder, true);
	if (status != B_OK)
		return fStatus = status;
	fRef = *ref;
	if (traverse)
		status = ResolveLinks(&fRef);
	if (status == B_OK && fRef.directory == ref->directory && fRef.device == ref->device)
		fFolder = std::move(folder);
	if (status != B_OK)
		fRef = entry_ref();
	return fStatus = status;
}

void BEntry::Unset()
{
	fRef = entry_ref();
	fStatus = B_NO_INIT;
	fNodeDevice = -1;
	fNodeInode = -1;
	fFolder.Reset();
	fHeldNode.Reset();
}

status_t BEntry::GetParent(BEntry* parent) const
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (parent == NULL)
		return B_BAD_VALUE;
	bool isRoot = fRef.directory_path == "/" && strcmp(fRef.name, ".") == 0;
	platform::NodeHandle opened;
	status_t status = B_ENTRY_NOT_FOUND;
	if (!isRoot && !fFolder.IsSet())
		status = OpenRefDirectory(fRef, &opened, true);
	const platform::NodeHandle& folder = fFolder.IsSet() ? fFolder : opened;
	entry_ref parentRef;
	if (!isRoot && folder.IsSet())
		status = ParentRef(fRef, folder.Descriptor(), &parentRef);
	if (status != B_OK) {
		parent->Unset();
		return status;
	}
	// The folder the descriptor was checked to be, this entry's own, is the parent's node,
	// and the parent holds it: the open just made, or this entry's own when the parent is
	// this entry, else a copy. The parent may be this very entry: everything was read before
	// it is written.
	platform::NodeHandle node = opened.IsSet() ? std::move(opened)
		: parent == this                       ? std::move(parent->fFolder)
											   : fFolder.Duplicate();
	dev_t device = fRef.device;
	ino_t inode = fRef.directory;
	parent->fRef = std::move(parentRef);
	parent->fStatus = B_OK;
	parent->fNodeDevice = device;
	parent->fNodeInode = inode;
	parent->fFolder.Reset();
	if (node.IsSet())
		node.SetPath(PathOfRef(parent->fRef));
	parent->fHeldNode = std::move(node);
	return B_OK;
}
