#include <Path.h>

#include <Entry.h>

#include <string.h>
#include <unistd.h>

#include "EntryPaths.h"

namespace {

// Whether a path must go through the file system to be normalised: relative, "." or ".."
// components, doubled or trailing slashes.
bool
NeedsNormalizing(const std::string& path)
{
	if (path.empty() || path[0] != '/')
		return true;
	if (path.size() > 1 && path.back() == '/')
		return true;
	if (path.find("//") != std::string::npos)
		return true;
	size_t start = 1;
	while (start <= path.size()) {
		size_t end = path.find('/', start);
		if (end == std::string::npos)
			end = path.size();
		std::string part = path.substr(start, end - start);
		if (part == "." || part == "..")
			return true;
		start = end + 1;
	}
	return false;
}

}  // namespace

BPath::BPath()
	:
	fStatus(B_NO_INIT)
{
}

BPath::BPath(const char* dir, const char* leaf, bool normalize)
	:
	fStatus(B_NO_INIT)
{
	SetTo(dir, leaf, normalize);
}

BPath::BPath(const entry_ref* ref)
	:
	fStatus(B_NO_INIT)
{
	SetTo(ref);
}

BPath::BPath(const BEntry* entry)
	:
	fStatus(B_NO_INIT)
{
	SetTo(entry);
}

BPath::BPath(const BPath& other)
	:
	fPath(other.fPath),
	fStatus(other.fStatus)
{
}

BPath::~BPath()
{
}

status_t
BPath::InitCheck() const
{
	return fStatus;
}

status_t
BPath::SetTo(const char* dir, const char* leaf, bool normalize)
{
	Unset();
	if (dir == NULL || dir[0] == '\0')
		return fStatus = B_BAD_VALUE;
	std::string path = dir;
	if (leaf != NULL) {
		if (leaf[0] == '/')
			return fStatus = B_BAD_VALUE;
		if (path.back() != '/')
			path += '/';
		path += leaf;
	}
	if (path.size() >= B_PATH_NAME_LENGTH)
		return fStatus = B_NAME_TOO_LONG;
	if (normalize || NeedsNormalizing(path)) {
		// The folder is resolved through the file system (and must exist); the leaf is not.
		entry_ref ref;
		status_t status = get_ref_for_path(path.c_str(), &ref);
		if (status != B_OK)
			return fStatus = status;
		path = platform::PathOfRef(ref);
	}
	fPath = path;
	return fStatus = B_OK;
}

status_t
BPath::SetTo(const entry_ref* ref)
{
	Unset();
	if (ref == NULL)
		return fStatus = B_BAD_VALUE;
	int dirFd;
	status_t status = platform::OpenRefDirectory(*ref, &dirFd);
	if (status != B_OK)
		return fStatus = status;
	close(dirFd);
	fPath = platform::PathOfRef(*ref);
	return fStatus = B_OK;
}

status_t
BPath::SetTo(const BEntry* entry)
{
	Unset();
	entry_ref ref;
	if (entry == NULL)
		return fStatus = B_BAD_VALUE;
	status_t status = entry->GetRef(&ref);
	if (status != B_OK)
		return fStatus = status;
	return SetTo(&ref);
}

void
BPath::Unset()
{
	fPath.clear();
	fStatus = B_NO_INIT;
}

status_t
BPath::Append(const char* path, bool normalize)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	std::string base = fPath;
	return SetTo(base.c_str(), path, normalize);
}

status_t
BPath::GetParent(BPath* path) const
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (path == NULL)
		return B_BAD_VALUE;
	if (fPath == "/")
		return B_ENTRY_NOT_FOUND;
	std::string folder, leaf;
	platform::SplitPath(fPath, &folder, &leaf);
	path->fPath = folder;
	path->fStatus = B_OK;
	return B_OK;
}

const char*
BPath::Path() const
{
	return fStatus == B_OK ? fPath.c_str() : NULL;
}

const char*
BPath::Leaf() const
{
	if (fStatus != B_OK)
		return NULL;
	return fPath.c_str() + fPath.rfind('/') + 1;
}

BPath&
BPath::operator=(const BPath& other)
{
	fPath = other.fPath;
	fStatus = other.fStatus;
	return *this;
}

bool
BPath::operator==(const BPath& other) const
{
	if (fStatus != B_OK || other.fStatus != B_OK)
		return fStatus != B_OK && other.fStatus != B_OK;
	return fPath == other.fPath;
}

bool
BPath::operator==(const char* path) const
{
	if (fStatus != B_OK || path == NULL)
		return fStatus != B_OK && path == NULL;
	return fPath == path;
}
