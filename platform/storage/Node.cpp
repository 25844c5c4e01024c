#include <Node.h>

#include <Entry.h>
#include <TypeConstants.h>

#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "storage/EntryPaths.h"
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
	fStatus(B_NO_INIT)
{
}

BNode::BNode(const char* path) :
	BNode()
{
	SetTo(path);
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
	return fStatus = OpenEntry(entry);
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
	fHandle.Reset();
	fStatus = B_NO_INIT;
}

// The one way from an entry to its node. An entry known to name one folder (a parent) is
// that folder, not what took its name: the folder it holds open is taken over (the first
// node opened from it opens nothing again), else the folder is opened by its path and
// checked to be that node. Any other entry is opened by its reference.
status_t BNode::OpenEntry(const BEntry* entry)
{
	if (entry->fHeldNode.IsSet()) {
		fHandle = std::move(entry->fHeldNode);
		return B_OK;
	}
	const bool known = entry->fNodeInode != ino_t(-1);
	if (known
		&& platform::NodeHandle::OpenFolder(platform::PathOfRef(entry->fRef), entry->fNodeDevice,
			   entry->fNodeInode, platform::NodeHandle::kForReading, &fHandle)
			== B_OK)
		return B_OK;
	status_t status = OpenRef(&entry->fRef);
	if (status == B_OK && known
		&& (fHandle.Device() != entry->fNodeDevice || fHandle.Inode() != entry->fNodeInode)) {
		fHandle.Reset();
		status = B_ENTRY_NOT_FOUND;
	}
	return status;
}

// Opens the entry itself, never what a link names, below a directory whose identity was
// checked on the open descriptor, so a renamed or replaced directory cannot slip in between.
status_t BNode::OpenRef(const entry_ref* ref)
{
	platform::NodeHandle folder;
	status_t status = platform::OpenRefDirectory(*ref, &folder);
	if (status != B_OK)
		return status;
	return platform::NodeHandle::OpenBelow(
		folder.Descriptor(), ref->name, platform::PathOfRef(*ref), &fHandle);
}

ssize_t BNode::WriteAttr(
	const char* name, type_code type, off_t offset, const void* buffer, size_t length)
{
	if (!fHandle.IsSet())
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
	status = Xattr(fHandle.Descriptor(), fHandle.IsReadable(), fHandle.Path())
				 .Write(FullName(name, full), value);
	return status == B_OK ? ssize_t(length) : status;
}

ssize_t BNode::ReadAttr(
	const char* name, type_code type, off_t offset, void* buffer, size_t length) const
{
	if (!fHandle.IsSet())
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
	status = Xattr(fHandle.Descriptor(), fHandle.IsReadable(), fHandle.Path())
				 .Read(FullName(name, full), hint, &value);
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
	if (!fHandle.IsSet())
		return B_FILE_ERROR;
	status_t status = CheckName(name);
	if (status != B_OK)
		return status;
	char full[sizeof(kUserPrefix) + B_ATTR_NAME_LENGTH];
	status = Xattr(fHandle.Descriptor(), fHandle.IsReadable(), fHandle.Path())
				 .Remove(FullName(name, full));
	// Linux keeps user attributes on regular files and folders only; any other node (a
	// symbolic link) refuses the call, but has no such attribute to remove.
	if (status != B_OK && !S_ISREG(fHandle.FileType()) && !S_ISDIR(fHandle.FileType()))
		return B_ENTRY_NOT_FOUND;
	return status;
}
