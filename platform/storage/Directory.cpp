#include <Directory.h>

#include <Entry.h>

#include <sys/stat.h>

BDirectory::BDirectory()
{
}

BDirectory::~BDirectory()
{
}

// A link is followed to its end; the result counts only if that is a folder.
status_t BDirectory::SetTo(const entry_ref* ref)
{
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
	return B_OK;
}
