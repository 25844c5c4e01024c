#ifndef PLATFORM_FOLDER_ICON_MIRRORS_H
#define PLATFORM_FOLDER_ICON_MIRRORS_H

#include <SupportDefs.h>

#include <string>

namespace platform {

// The hidden image inside a folder that shows its own icon to the Linux file managers.
extern const char kFolderIconImageName[];
// The Software text of that image: what tells it from another program's file of that name.
extern const char kFolderIconImageSoftware[];
// The Icon value that a .directory gets: the image, relative to the folder.
extern const char kFolderIconDirectoryValue[];

// Copies of a folder's own large icon where the Linux file managers look: the hidden image,
// metadata::custom-icon and metadata::thunar-custom-icon-name in GIO's metadata store (when
// there is one) and Icon= in the folder's .directory. The attributes stay the only source of
// truth: a copy that cannot be made fails nothing, and the first such failure of the process
// is told once on standard error. Nodes that are not folders get no copies.
class FolderIconMirrors {
public:
	explicit FolderIconMirrors(int nodeFd);

	// After the node's large icon (32 * 32 indices) was stored. An icon stored unchanged
	// over itself, whose image is there already, costs no more than that look.
	void Publish(const uint8* largeIcon, bool changed);

	// After the node's own large icon was removed: takes back what Publish made, and only
	// that (a foreign image, another icon in .directory or in the store stay).
	void Withdraw();

	// On by default; off leaves the node's surroundings alone (for measuring).
	static void SetEnabled(bool enabled);

private:
	bool IsFolder() const;
	std::string FolderPath() const;

	status_t PublishImage(const uint8* largeIcon);
	status_t PublishDotDirectory();
	status_t PublishMetadata(const std::string& folder);

	status_t WithdrawImage();
	status_t WithdrawDotDirectory();
	status_t WithdrawMetadata(const std::string& folder);

	bool IsOwnImage(status_t* status) const;
	static void ReportFailure(const char* what, status_t status);

	int fFd;
};

}  // namespace platform

#endif
