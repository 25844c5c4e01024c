#include "desktop/NodeIconNotices.h"

#include <sys/stat.h>

#include <atomic>

#include "desktop/FolderIconView.h"
#include "desktop/RecentIcons.h"

namespace platform {

namespace {

std::atomic<bool> sEnabled(true);

bool Identify(int fd, struct stat* st)
{
	return fd >= 0 && fstat(fd, st) == 0;
}

}  // namespace

void NodeIconNotices::SetEnabled(bool enabled)
{
	sEnabled.store(enabled);
}

bool NodeIconNotices::IsEnabled()
{
	return sEnabled.load();
}

void NodeIconNotices::IconShown(int nodeFd, icon_size which, const uint8* pixels, const char* type)
{
	struct stat st;
	if (sEnabled.load() && Identify(nodeFd, &st))
		RecentIcons::Remember(st.st_dev, st.st_ino, which, pixels, type);
}

void NodeIconNotices::OwnIconStored(int nodeFd, icon_size which, const uint8* pixels, bool changed)
{
	// The file managers show a folder's large icon: the mini one has no view of its own.
	struct stat st;
	if (!sEnabled.load() || which != B_LARGE_ICON || pixels == NULL || !Identify(nodeFd, &st)
		|| !S_ISDIR(st.st_mode))
		return;
	IconTrace trace;
	bool traced = RecentIcons::Trace(st.st_dev, st.st_ino, pixels, &trace);
	FolderIconView(nodeFd).Publish(pixels, changed, traced ? &trace : NULL);
}

void NodeIconNotices::OwnIconRemoved(int nodeFd, icon_size which)
{
	if (sEnabled.load() && which == B_LARGE_ICON)
		FolderIconView(nodeFd).Withdraw();
}

void NodeIconNotices::OwnIconSettled(bool written)
{
	FolderIconView::SettleFailures(written);
}

}  // namespace platform
