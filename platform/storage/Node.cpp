#include <Node.h>

#include <Entry.h>
#include <TypeConstants.h>

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "storage/EntryPaths.h"
#include "storage/StorageErrors.h"
#include "storage/Xattr.h"
#include "support/ByteOrder.h"

using platform::Xattr;

namespace {

const char kUserPrefix[] = "user.";
const size_t kUserPrefixLength = sizeof(kUserPrefix) - 1;
const size_t kTypeSize = 4;

status_t CheckName(const char* name)
{
	if (name == NULL || name[0] == '\0')
		return B_BAD_VALUE;
	if (strlen(name) > B_ATTR_NAME_LENGTH)
		return B_NAME_TOO_LONG;
	return B_OK;
}

// The attribute's Linux name, "user." and name (one that CheckName passed), built in full.
const char* FullName(const char* name, char (&full)[kUserPrefixLength + B_ATTR_NAME_LENGTH + 1])
{
	memcpy(full, kUserPrefix, kUserPrefixLength);
	strcpy(full + kUserPrefixLength, name);
	return full;
}

type_code ReadTypeCode(const uint8* bytes)
{
	return type_code(platform::ReadBig(bytes, kTypeSize));
}

}  // namespace

BNode::BNode() :
	fFd(-1),
	fFileType(0),
	fReadable(false),
	fStatus(B_NO_INIT),
	fDevice(-1),
	fInode(-1)
{
}

BNode::BNode(const entry_ref* ref) :
	BNode()
{
	SetTo(ref);
}

BNode::BNode(const BEntry* entry) :
	BNode()
{
	SetTo(entry);
}

BNode::BNode(const char* path) :
	BNode()
{
	SetTo(path);
}

BNode::BNode(const BNode& other) :
	BNode()
{
	*this = other;
}

BNode::~BNode()
{
	Unset();
}

status_t BNode::InitCheck() const
{
	return fStatus;
}

status_t BNode::SetTo(const entry_ref* ref)
{
	Unset();
	if (ref == NULL)
		return fStatus = B_BAD_VALUE;
	return fStatus = OpenRef(ref);
}

status_t BNode::SetTo(const BEntry* entry)
{
	Unset();
	if (entry == NULL)
		return fStatus = B_BAD_VALUE;
	if (entry->InitCheck() != B_OK)
		return fStatus = B_NO_INIT;
	// An entry known to name one folder (a parent) is that folder, not what took its name.
	if (entry->fNodeFd >= 0) {
		AdoptKnownFolder(entry);
		return fStatus = B_OK;
	}
	if (entry->fNodeInode != ino_t(-1) && OpenKnownFolder(entry) == B_OK)
		return fStatus = B_OK;
	status_t status = OpenRef(&entry->fRef);
	if (status == B_OK && entry->fNodeInode != ino_t(-1)
		&& (fDevice != entry->fNodeDevice || fInode != entry->fNodeInode)) {
		Unset();
		status = B_ENTRY_NOT_FOUND;
	}
	return fStatus = status;
}

status_t BNode::SetTo(const char* path)
{
	Unset();
	entry_ref ref;
	status_t status = get_ref_for_path(path, &ref);
	if (status != B_OK)
		return fStatus = status;
	return fStatus = OpenRef(&ref);
}

void BNode::Unset()
{
	if (fFd >= 0)
		close(fFd);
	fFd = -1;
	fFileType = 0;
	fReadable = false;
	fStatus = B_NO_INIT;
	fDevice = -1;
	fInode = -1;
	fPath.clear();
}

// A folder of known identity is opened for reading at once by its path: O_DIRECTORY
// opens nothing else, and the identity checked on the descriptor makes it that folder.
status_t BNode::OpenKnownFolder(const BEntry* entry)
{
	std::string path = platform::PathOfRef(entry->fRef);
	int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
	struct stat st;
	if (fd < 0 || fstat(fd, &st) != 0 || st.st_dev != entry->fNodeDevice
		|| st.st_ino != entry->fNodeInode) {
		if (fd >= 0)
			close(fd);
		return B_ENTRY_NOT_FOUND;
	}
	fFd = fd;
	fFileType = S_IFDIR;
	fReadable = true;
	fDevice = st.st_dev;
	fInode = st.st_ino;
	fPath = std::move(path);
	return B_OK;
}

// The folder an entry holds open is that folder already: the node takes it over.
void BNode::AdoptKnownFolder(const BEntry* entry)
{
	fFd = entry->fNodeFd;
	entry->fNodeFd = -1;
	fFileType = S_IFDIR;
	fReadable = entry->fNodeReadable;
	fDevice = entry->fNodeDevice;
	fInode = entry->fNodeInode;
	fPath = platform::PathOfRef(entry->fRef);
}

// Opens the entry itself, never what a link names, below a directory whose identity was
// checked on the open descriptor, so a renamed or replaced directory cannot slip in between.
status_t BNode::OpenRef(const entry_ref* ref)
{
	int dirFd;
	status_t status = platform::OpenRefDirectory(*ref, &dirFd);
	if (status != B_OK)
		return status;
	// A file or folder that may be read is held open for reading: its attributes are then
	// reached with no path to resolve on every call. It is opened so only when it was one
	// just before, and kept only when it is still that node; anything else (a device, a
	// link) is opened for no more than its attributes.
	struct stat st, seen;
	int fd = -1;
	if (fstatat(dirFd, ref->name, &seen, AT_SYMLINK_NOFOLLOW) == 0
		&& (S_ISREG(seen.st_mode) || S_ISDIR(seen.st_mode))) {
		int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
		fd = openat(dirFd, ref->name, S_ISDIR(seen.st_mode) ? flags | O_DIRECTORY : flags);
		if (fd >= 0
			&& (fstat(fd, &st) != 0 || st.st_dev != seen.st_dev || st.st_ino != seen.st_ino)) {
			close(fd);
			fd = -1;
		}
	}
	fReadable = fd >= 0;
	int error = 0;
	if (fd < 0) {
		fd = openat(dirFd, ref->name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
		error = errno;
		if (fd >= 0 && fstat(fd, &st) != 0) {
			error = errno;
			close(fd);
			fd = -1;
		}
	}
	close(dirFd);
	if (fd < 0)
		return platform::StatusForErrno(error);
	fFd = fd;
	fFileType = st.st_mode & S_IFMT;
	fDevice = st.st_dev;
	fInode = st.st_ino;
	fPath = platform::PathOfRef(*ref);
	return B_OK;
}

ssize_t BNode::WriteAttr(
	const char* name, type_code type, off_t offset, const void* buffer, size_t length)
{
	if (fFd < 0)
		return B_FILE_ERROR;
	status_t status = CheckName(name);
	if (status != B_OK)
		return status;
	if (offset != 0 || (buffer == NULL && length > 0))
		return B_BAD_VALUE;
	if (length > Xattr::kMaxValueSize - kTypeSize)
		return B_DEVICE_FULL;

	// Type and data go in one call, so no reader ever sees one without the other.
	// Kept per thread, so that a call allocates nothing once warm.
	thread_local std::vector<uint8> value;
	value.resize(kTypeSize + length);
	platform::WriteBig(value.data(), type, kTypeSize);
	if (length > 0)
		memcpy(value.data() + kTypeSize, buffer, length);
	char full[sizeof(kUserPrefix) + B_ATTR_NAME_LENGTH];
	status = Xattr(fFd, fReadable, fPath).Write(FullName(name, full), value);
	return status == B_OK ? ssize_t(length) : status;
}

ssize_t BNode::ReadAttr(
	const char* name, type_code type, off_t offset, void* buffer, size_t length) const
{
	if (fFd < 0)
		return B_FILE_ERROR;
	status_t status = CheckName(name);
	if (status != B_OK)
		return status;
	if (offset < 0 || (buffer == NULL && length > 0))
		return B_BAD_VALUE;

	size_t hint = Xattr::kMaxValueSize;
	if (offset < off_t(Xattr::kMaxValueSize) && length < Xattr::kMaxValueSize)
		hint = kTypeSize + size_t(offset) + length;
	thread_local std::vector<uint8> value;
	char full[sizeof(kUserPrefix) + B_ATTR_NAME_LENGTH];
	status = Xattr(fFd, fReadable, fPath).Read(FullName(name, full), hint, &value);
	if (status != B_OK)
		return status;
	if (value.size() < kTypeSize)
		return B_BAD_DATA;
	if (type != B_ANY_TYPE && ReadTypeCode(value.data()) != type)
		return B_BAD_TYPE;

	size_t dataSize = value.size() - kTypeSize;
	if (offset >= off_t(dataSize))
		return 0;
	size_t count = dataSize - size_t(offset);
	if (count > length)
		count = length;
	memcpy(buffer, value.data() + kTypeSize + offset, count);
	return ssize_t(count);
}

status_t BNode::RemoveAttr(const char* name)
{
	if (fFd < 0)
		return B_FILE_ERROR;
	status_t status = CheckName(name);
	if (status != B_OK)
		return status;
	char full[sizeof(kUserPrefix) + B_ATTR_NAME_LENGTH];
	status = Xattr(fFd, fReadable, fPath).Remove(FullName(name, full));
	// Linux keeps user attributes on regular files and folders only; any other node (a
	// symbolic link) refuses the call, but has no such attribute to remove.
	if (status != B_OK && !S_ISREG(fFileType) && !S_ISDIR(fFileType))
		return B_ENTRY_NOT_FOUND;
	return status;
}

BNode& BNode::operator=(const BNode& other)
{
	if (this == &other)
		return *this;
	Unset();
	if (other.fFd >= 0) {
		fFd = fcntl(other.fFd, F_DUPFD_CLOEXEC, 0);
		if (fFd < 0) {
			fStatus = platform::StatusForErrno(errno);
			return *this;
		}
		fFileType = other.fFileType;
		fReadable = other.fReadable;
		fDevice = other.fDevice;
		fInode = other.fInode;
		fPath = other.fPath;
	}
	fStatus = other.fStatus;
	return *this;
}

bool BNode::operator==(const BNode& other) const
{
	if (fFd < 0 || other.fFd < 0)
		return fFd < 0 && other.fFd < 0;
	return fDevice == other.fDevice && fInode == other.fInode;
}
