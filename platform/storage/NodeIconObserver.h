#ifndef PLATFORM_NODE_ICON_OBSERVER_H
#define PLATFORM_NODE_ICON_OBSERVER_H

#include <Mime.h>
#include <SupportDefs.h>

#include <sys/types.h>

#include <functional>
#include <string>

namespace platform {

// A node as BNodeInfo holds it open, and what it was found to be when opened: none of it
// changes while the descriptor stays open.
struct IconNode {
	int fd;
	dev_t device;
	ino_t inode;
	bool folder;
};

// The icons that one BNodeInfo showed last (GetTrackerIcon), whatever node it was set to at
// the time: a store made through it can be traced back to what it was drawn from.
class ShownIcons {
public:
	struct Shown {
		dev_t device = 0;
		ino_t node = 0;
		int which = 0;  // 0: an empty slot
		uint8 pixels[B_LARGE_ICON * B_LARGE_ICON];
		std::string type;  // empty for the node's own icon
	};
	static const int kRemembered = 6;

	void Add(const IconNode& node, icon_size which, const uint8* pixels, const char* type);
	// The icon shown age icons before the last one (an empty slot past the first few).
	const Shown& Recent(int age) const;
	void Forget();

private:
	Shown fShown[kRemembered];
	int fNext = 0;  // the slot to fill next
};

// One change of a node's own icon of one size, as BNodeInfo makes it: told before the
// attribute is written or removed, then settled. What the observer finds out (the icon it
// replaces, its first failure) travels in it, never between calls on the side.
class IconChange {
public:
	// Reads the node's own icon into pixels (which * which indices); false when it has none.
	typedef std::function<bool(uint8* pixels)> StoredReader;

	IconChange(const IconNode& node, icon_size which, const uint8* pixels, ShownIcons* shown,
		StoredReader readStored);

	const IconNode& Node() const { return fNode; }
	icon_size Which() const { return fWhich; }
	// The new icon; NULL when the own icon is being removed.
	const uint8* Pixels() const { return fPixels; }
	// The own icon the node holds as the change begins, read on the first call; NULL when
	// it has none or it cannot be read.
	const uint8* Stored();
	// What the BNodeInfo showed last; NULL when it remembers nothing.
	ShownIcons* Shown() const { return fShown; }

	// Keeps the observer's first failure, to be told once the attribute is written.
	void Fail(const char* what, status_t status);
	const char* FailedWhat() const { return fFailedWhat; }
	status_t FailedStatus() const { return fFailedStatus; }

private:
	IconNode fNode;
	icon_size fWhich;
	const uint8* fPixels;
	ShownIcons* fShown;
	StoredReader fReadStored;
	int fStoredRead;  // 0: not yet, 1: read, -1: none
	uint8 fStored[B_LARGE_ICON * B_LARGE_ICON];
	const char* fFailedWhat;
	status_t fFailedStatus;
};

// Whoever keeps a view of nodes' own icons elsewhere (the desktop, for the Linux file
// managers). Its calls are best-effort: they never fail the kit call that makes them, and
// the attribute is written byte for byte as without them.
class NodeIconObserver {
public:
	virtual ~NodeIconObserver() {}

	// Before the attribute is written or removed: the file managers look again when it
	// changes, and must find the new view then. When the write then fails, the kit tells
	// again, in a change of its own, what the node holds.
	virtual void IconChanging(IconChange& change) = 0;

	// Once the attribute of change was written (or removed), or not.
	virtual void IconSettled(IconChange& change, bool written) = 0;
};

// Installs the one observer (NULL: none). The caller keeps it alive while it is installed.
void SetNodeIconObserver(NodeIconObserver* observer);
NodeIconObserver* InstalledNodeIconObserver();

}  // namespace platform

#endif
