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

bool NodeIconNotices::HasView(const NoticedNode& node, icon_size which)
{
	// The file managers show a folder's large icon: the mini one has no view of its own.
	return sEnabled.load() && which == B_LARGE_ICON && node.folder;
}

void NodeIconNotices::OwnIconStored(const NoticedNode& node, icon_size which, const uint8* pixels,
	const uint8* previous, bool changed)
{
	if (!HasView(node, which) || pixels == NULL)
		return;
	FolderIconView(node.fd).Publish(pixels, previous, changed, node.device, node.inode);
}

void NodeIconNotices::OwnIconRemoved(const NoticedNode& node, icon_size which, const uint8* stored)
{
	if (HasView(node, which))
		FolderIconView(node.fd).Withdraw(stored);
}

void NodeIconNotices::OwnIconSettled(bool written)
{
	FolderIconView::SettleFailures(written);
}

}  // namespace platform
