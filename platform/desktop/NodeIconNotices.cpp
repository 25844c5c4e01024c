#include "desktop/NodeIconNotices.h"

#include <atomic>

#include "desktop/FolderIconView.h"
#include "desktop/RecentIcons.h"

namespace platform {

namespace {

std::atomic<bool> sEnabled(true);

}  // namespace

void NodeIconNotices::SetEnabled(bool enabled)
{
	sEnabled.store(enabled);
}

bool NodeIconNotices::IsEnabled()
{
	return sEnabled.load();
}

void NodeIconNotices::IconShown(
	const NoticedNode& node, icon_size which, const uint8* pixels, const char* type)
{
	if (sEnabled.load())
		RecentIcons::Remember(node.device, node.inode, which, pixels, type);
}

void NodeIconNotices::OwnIconStored(
	const NoticedNode& node, icon_size which, const uint8* pixels, bool changed)
{
	// The file managers show a folder's large icon: the mini one has no view of its own.
	if (!sEnabled.load() || which != B_LARGE_ICON || pixels == NULL || !node.folder)
		return;
	IconTrace trace;
	bool traced = RecentIcons::Trace(node.device, node.inode, pixels, &trace);
	FolderIconView(node.fd).Publish(pixels, changed, traced ? &trace : NULL);
}

void NodeIconNotices::OwnIconRemoved(const NoticedNode& node, icon_size which)
{
	if (sEnabled.load() && which == B_LARGE_ICON && node.folder)
		FolderIconView(node.fd).Withdraw();
}

void NodeIconNotices::OwnIconSettled(bool written)
{
	FolderIconView::SettleFailures(written);
}

}  // namespace platform
