#include <Directory.h>

#include <Entry.h>

#include <sys/stat.h>

#include "storage/EntryPaths.h"

BDirectory::BDirectory()
{
}

BDirectory::BDirectory(const entry_ref* ref)
{
	SetTo(ref);
}

BDirectory::BDirectory(const BEntry* entry)
{
	SetTo(entry);
}

BDirectory::BDirectory(const char* path)
{
	SetTo(path);
}

BDirectory::~BDirectory()
{
}

// A link is followed to its end; the result counts only if that is a folder.
status_t BDirectory::SetTo(const entry_ref* ref)
{
	fPath.clear();
	Unset();
	if (ref == NULL)
		return B_BAD_VALUE;
	BEntry target(ref, true);
	status_t status = target.InitCheck();
	if (status == B_OK)
		status = BNode::SetTo(&target);
	if (status != B_OK)
		return status;
	struct stat st;
	if (fstat(Descriptor(), &st) != 0 || !S_ISDIR(st.st_mode)) {
		Unset();
		return B_NOT_A_DIRECTORY;
	}
	fPath = platform::PathOfRef(target.fRef);
	return B_OK;
}

status_t BDirectory::SetTo(const BEntry* entry)
{
	entry_ref ref;
	if (entry == NULL) {
		SetTo(static_cast<const entry_ref*>(NULL));
		return B_BAD_VALUE;
	}
	status_t status = entry->GetRef(&ref);
	if (status != B_OK) {
		fPath.clear();
		Unset();
		return status;
	}
	return SetTo(&ref);
}

status_t BDirectory::SetTo(const char* path)
{
	entry_ref ref;
	status_t status = get_ref_for_path(path, &ref);
	if (status != B_OK) {
		fPath.clear();
		Unset();
		return status;
	}
	return SetTo(&ref);
}

bool BDirectory::Contains(const char* path, int32) const
{
	if (InitCheck() != B_OK || path == NULL)
		return false;
	BEntry entry;
	if (path[0] == '/') {
		std::string prefix = fPath == "/" ? "/" : fPath + "/";
		if (entry.SetTo(path) != B_OK)
			return false;
		std::string full = platform::PathOfRef(entry.fRef);
		return full.compare(0, prefix.size(), prefix) == 0 && entry.Exists();
	}
	return entry.SetTo(this, path) == B_OK && entry.Exists();
}
