#ifndef PLATFORM_DESKTOP_FOLDER_ICON_VIEW_H
#define PLATFORM_DESKTOP_FOLDER_ICON_VIEW_H

#include <SupportDefs.h>

#include <set>
#include <string>

#include "desktop/FolderFiles.h"
#include "desktop/IconTrace.h"

namespace platform {

// A folder's own large icon where the Linux file managers look: an image inside the folder
// (see ImageNames and FolderIconDrawing), pointed at by metadata::custom-icon and
// metadata::thunar-custom-icon-name in GIO's metadata store (when there is one) and by Icon=
// in the folder's .directory. The image is complete on disk before a pointer moves to it,
// and an earlier image of ours goes only after they moved, so a pointer never names a
// missing file. The attributes stay the only source of truth: a view that cannot be made
// fails nothing, and the first such failure of the process is told once on standard error.
// Only folders are given one (see FolderIconObserver).
class FolderIconView {
public:
	// nodeFd is open on a folder; the first failure goes to change, and the icons that the
	// change's BNodeInfo showed trace what a store was drawn from.
	FolderIconView(int nodeFd, IconChange* change);

	// As the large icon (32 * 32 indices, never NULL) of the folder is stored over
	// previousIcon (NULL: none, or unknown); what it was drawn from is traced among the icons
	// shown (see IconTrace). An icon stored unchanged over itself, whose image is there
	// already, costs no more than that look. A failed step leaves each pointer on an image
	// that is there: an image goes only once no pointer names it.
	void Publish(const uint8* largeIcon, const uint8* previousIcon, bool changed);

	// As the node's own large icon (storedIcon, NULL when unknown) is removed: takes back
	// the pointers at images of ours, then those images, by name, and only those (a foreign
	// file, another icon stay); an image that a pointer still names stays with it.
	void Withdraw(const uint8* storedIcon);

	// What the file managers make of the view of largeIcon, the folder's stored large icon:
	// whole when the image named after it is there, ours, of that very icon and not cut
	// short, when every Icon= of .directory names it and, where there is a metadata store,
	// both of its keys name it by the folder's current path. The parts are read as the file
	// managers read them (a hard-linked image or .directory shows all the same).
	struct Inspection {
		const char* problem = NULL;  // the first part that is not so; NULL when whole
		bool foreign = false;  // a metadata key names another program's icon
	};
	Inspection Inspect(const uint8* largeIcon) const;

	// Makes a view that is not whole whole again from largeIcon, the folder's stored large
	// icon: Publish, forced past the sealed-image look (a sealed image copied along with its
	// folder says nothing of the pointers), reusing the image where it is of that icon and
	// drawing one otherwise. A view whole already, and one whose metadata names another
	// program's icon, are left as they are. Returns what Inspect finds afterwards, and
	// whether it published.
	Inspection Repair(const uint8* largeIcon, bool* published);

private:
	// The images of ours that .directory and the metadata store name. Unknown when one of
	// them could not be read: then no image may go.
	struct Pointers {
		std::set<std::string> images;
		bool known = true;
	};
	Pointers ReadPointers(const std::string& folder) const;

	status_t PublishImage(const std::string& name, const std::string& hash, const uint8* largeIcon,
		const IconTrace* trace);
	status_t PublishDotDirectory(const std::string& name);
	status_t PublishMetadata(const std::string& folder, const std::string& name);
	status_t RemoveImages(
		const std::string& folder, const std::set<std::string>& earlier, const std::string& keep);
	status_t WithdrawDotDirectory();
	status_t WithdrawMetadata(const std::string& folder);

	// The content of the image of that name when it is ours; B_NOT_ALLOWED when it is not.
	status_t ReadOwnImage(const std::string& name, std::string* png) const;
	void ReportFailure(const char* what, status_t status);

	int fFd;
	FolderFiles fFiles;
	IconChange* fChange;
};

}  // namespace platform

#endif
