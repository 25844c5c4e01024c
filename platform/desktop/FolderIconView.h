#ifndef PLATFORM_DESKTOP_FOLDER_ICON_VIEW_H
#define PLATFORM_DESKTOP_FOLDER_ICON_VIEW_H

#include <SupportDefs.h>

#include <string>

#include "desktop/RecentIcons.h"

namespace platform {

// A folder's own large icon where the Linux file managers look: an image inside the folder
// (see ImageNames and FolderIconDrawing), pointed at by metadata::custom-icon and
// metadata::thunar-custom-icon-name in GIO's metadata store (when there is one) and by Icon=
// in the folder's .directory. The image is complete on disk before a pointer moves to it,
// and an earlier image of ours goes only after they moved, so a pointer never names a
// missing file. The attributes stay the only source of truth: a view that cannot be made
// fails nothing, and the first such failure of the process is told once on standard error.
// Only folders are given one (see NodeIconNotices).
class FolderIconView {
public:
	// nodeFd is open on a folder.
	explicit FolderIconView(int nodeFd);

	// As the large icon (32 * 32 indices) of the folder (device, inode) is stored; what it
	// was drawn from is traced among the icons this thread showed last (see RecentIcons).
	// An icon stored unchanged over itself, whose image is there already, costs no more
	// than that look.
	void Publish(const uint8* largeIcon, bool changed, dev_t device, ino_t inode);

	// As the node's own large icon is removed: takes back every image of ours and the
	// pointers at them, and only those (a foreign file, another icon stay).
	void Withdraw();

	// The view changes before the attribute it shows is written; its failure is told only
	// once that write succeeded (the message says the icon is up to date), and forgotten
	// when it failed: then the kit call fails and says so itself.
	static void SettleFailures(bool attributeWritten);

private:
	status_t PublishImage(const std::string& name, const std::string& hash, const uint8* largeIcon,
		const IconTrace* trace);
	status_t PublishDotDirectory(const std::string& name);
	status_t PublishMetadata(const std::string& folder, const std::string& name);
	status_t RemoveImages(const std::string& keep);
	status_t WithdrawDotDirectory();
	status_t WithdrawMetadata(const std::string& folder);

	// The content of the image of that name when it is ours; B_NOT_ALLOWED when it is not.
	status_t ReadOwnImage(const std::string& name, std::string* png) const;
	static void ReportFailure(const char* what, status_t status);

	int fFd;
};

}  // namespace platform

#endif
