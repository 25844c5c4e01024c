#ifndef DROPPED_ITEM_H
#define DROPPED_ITEM_H

#include <Entry.h>
#include <Mime.h>
#include <Node.h>
#include <NodeInfo.h>

class BBitmap;
class BMessage;

// The working record of one Set icon or Clear icon: the first dropped entry, the node the
// icon operations act on, and the three icons read for it (owned).
class DroppedItem {
public:
	explicit DroppedItem(BMessage* message);
	~DroppedItem();

	bool IsDirectory();
	bool LoadItemIcon();
	bool LoadFolderIcons();
	void AssignNode();
	void ComposeIcons();
	void WriteIcons();
	void ClearIcons();

private:
	DroppedItem(const DroppedItem&) = delete;
	DroppedItem& operator=(const DroppedItem&) = delete;

	static BBitmap* NewIcon(icon_size size);
	bool ReadTrackerIcon(BBitmap** icon, icon_size size);

	bool fOK;
	entry_ref fRef;
	BNode fNode;
	BNodeInfo fNodeInfo;
	BBitmap* fItemMiniIcon;
	BBitmap* fFolderLargeIcon;
	BBitmap* fFolderMiniIcon;
};

#endif
