#ifndef PLATFORM_DESKTOP_NODE_ICON_NOTICES_H
#define PLATFORM_DESKTOP_NODE_ICON_NOTICES_H

#include <Mime.h>
#include <SupportDefs.h>

#include <sys/types.h>

namespace platform {

// A node as the kit holds it open, and what it was found to be when opened: none of it
// changes while the descriptor stays open.
struct NoticedNode {
	int fd;
	dev_t device;
	ino_t inode;
	bool folder;
};

// The one way the storage kit reaches the desktop: what BNodeInfo did with a node's icons.
// The desktop keeps its own view of a folder's icon for the Linux file managers (see
// FolderIconView) and needs nothing else from the kit. Every call is best-effort: it never
// fails the kit call that makes it.
class NodeIconNotices {
public:
	// GetTrackerIcon showed pixels (which * which indices) for the node: its own icon when
	// type is NULL, else the icon of that type. Remembered per thread, briefly, so that a
	// store that follows can be traced back to what it was drawn from.
	static void IconShown(
		const NoticedNode& node, icon_size which, const uint8* pixels, const char* type);

	// Whether the desktop keeps a view of that icon of the node (a folder's large icon):
	// only then does a store need to know what it replaces.
	static bool HasView(const NoticedNode& node, icon_size which);

	// The node's own icon of that size is being stored over previous (NULL: none, or not
	// read); changed is false when the same pixels are stored over themselves. Called just
	// before the attribute is written: the file managers look again when it changes, and
	// then find the new view. When the write fails, the kit tells again what the node holds.
	static void OwnIconStored(const NoticedNode& node, icon_size which, const uint8* pixels,
		const uint8* previous, bool changed);

	// The node's own icon of that size, stored (NULL: not read), is being removed (called
	// before, as above).
	static void OwnIconRemoved(const NoticedNode& node, icon_size which, const uint8* stored);

	// The attribute that the last of the two calls above announced was written (or removed),
	// or not: only a view of an icon that is stored reports its own failures.
	static void OwnIconSettled(bool written);

	// On by default; off leaves the node's surroundings alone (for measuring).
	static void SetEnabled(bool enabled);
	static bool IsEnabled();
};

}  // namespace platform

#endif
