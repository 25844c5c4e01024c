#ifndef PLATFORM_DESKTOP_FOLDER_ICON_OBSERVER_H
#define PLATFORM_DESKTOP_FOLDER_ICON_OBSERVER_H

#include "storage/NodeIconObserver.h"

namespace platform {

// The desktop's side of the storage kit's one seam: it keeps the view of each folder's own
// large icon that the Linux file managers show (see FolderIconView), and tells the first
// failure of the process to keep one, once, when the icon it was for is stored.
class FolderIconObserver : public NodeIconObserver {
public:
	static FolderIconObserver& Instance();

	void IconChanging(IconChange& change) override;
	void IconSettled(IconChange& change, bool written) override;
};

// Why a step of a view failed, in a few words for a line on standard error.
const char* ViewFailureReason(status_t status);

}  // namespace platform

#endif
