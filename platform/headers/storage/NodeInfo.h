#ifndef _NODE_INFO_H
#define _NODE_INFO_H

#include <Mime.h>
#include <Node.h>

class BBitmap;
#include <memory>

namespace platform {
struct IconNode;
class ShownIcons;
}  // namespace platform

// The file type and icons of a node.
class BNodeInfo {
public:
	BNodeInfo();
	BNodeInfo(BNode* node);
	virtual ~BNodeInfo();

	status_t InitCheck() const;
	virtual status_t SetTo(BNode* node);

	virtual status_t GetType(char* type) const;

	// The node's own icon of that size; fails when it has no valid one.
	virtual status_t GetIcon(BBitmap* icon, icon_size which = B_LARGE_ICON) const;
	// Stores the node's own icon of that size, or removes it when icon is NULL (removing an
	// icon the node does not have succeeds).
	virtual status_t SetIcon(const BBitmap* icon, icon_size which = B_LARGE_ICON);

	// The icon the file manager shows: the own icon, else the icon of the node's type.
	status_t GetTrackerIcon(BBitmap* icon, icon_size which = B_LARGE_ICON) const;

private:
	BNodeInfo(const BNodeInfo&) = delete;
	BNodeInfo& operator=(const BNodeInfo&) = delete;

	platform::IconNode Noticed() const;
	bool ReadStored(icon_size which, uint8* pixels) const;
	void TellStored(icon_size which) const;

	BNode* fNode;
	status_t fStatus;
	// What GetTrackerIcon showed last, for whoever keeps a view of the icons stored next.
	std::unique_ptr<platform::ShownIcons> fShown;
};

#endif
