#include <Path.h>

#include <Entry.h>

#include <unistd.h>

#include "storage/EntryPaths.h"

BPath::BPath() :
	fStatus(B_NO_INIT)
{
}

BPath::BPath(const entry_ref* ref) :
	fStatus(B_NO_INIT)
{
	SetTo(ref);
}

BPath::~BPath()
{
}

status_t BPath::InitCheck() const
{
	return fStatus;
}

// Only a ref that still names its folder has a path.
status_t BPath::SetTo(const entry_ref* ref)
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

void BPath::Unset()
{
	fPath.clear();
	fStatus = B_NO_INIT;
}

const char* BPath::Path() const
{
	return fStatus == B_OK ? fPath.c_str() : NULL;
}
