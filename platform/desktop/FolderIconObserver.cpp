#include "desktop/FolderIconObserver.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <atomic>

#include "desktop/FolderIconView.h"

namespace platform {

namespace {

std::atomic<bool> sFailureReported(false);

}  // namespace

const char* ViewFailureReason(status_t status)
{
	switch (status) {
		case B_PERMISSION_DENIED:
			return "permission denied";
		case B_NOT_ALLOWED:
			return "a file of that name is not ours to change";
		case B_BAD_DATA:
			return "the existing file is too large or not a text to edit";
		case B_BUSY:
			return "another program keeps it busy";
		case B_READ_ONLY_DEVICE:
			return "read-only file system";
		case B_DEVICE_FULL:
			return "no space left";
		default:
			return "error";
	}
}

FolderIconObserver& FolderIconObserver::Instance()
{
	static FolderIconObserver observer;
	return observer;
}

void FolderIconObserver::IconChanging(IconChange& change)
{
	// The file managers show a folder's large icon: the mini one has no view of its own.
	const IconNode& node = change.Node();
	if (change.Which() != B_LARGE_ICON || !node.folder)
		return;
	FolderIconView view(node.fd, &change);
	const uint8* stored = change.Stored();
	if (change.Pixels() == NULL) {
		view.Withdraw(stored);
		return;
	}
	bool changed =
		stored == NULL || memcmp(stored, change.Pixels(), B_LARGE_ICON * B_LARGE_ICON) != 0;
	view.Publish(change.Pixels(), stored, changed);
}

// The view changes before the attribute it shows; its failure is told only once that write
// succeeded (the message says the icon is up to date), and forgotten when it failed: then the
// kit call fails and says so itself.
void FolderIconObserver::IconSettled(IconChange& change, bool written)
{
	if (change.FailedWhat() == NULL || !written || sFailureReported.exchange(true))
		return;
	fprintf(stderr,
		"%s: the folder's own icon is up to date, but %s (%s); further "
		"such failures are not reported\n",
		program_invocation_short_name, change.FailedWhat(),
		ViewFailureReason(change.FailedStatus()));
}

}  // namespace platform
