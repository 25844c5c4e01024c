#ifndef PLATFORM_DESKTOP_ICON_TRACE_H
#define PLATFORM_DESKTOP_ICON_TRACE_H

#include <SupportDefs.h>

#include <string>
#include <vector>

#include "storage/NodeIconObserver.h"

namespace platform {

// What a folder's new large icon was drawn from, when the BNodeInfo that stores it has just
// shown the pieces: the folder's icon as it was shown and the dropped item's mini icon.
struct IconTrace {
	std::vector<uint8> previousLarge;  // 32 * 32 indices
	std::string folderType;  // empty when previousLarge was the folder's own icon
	std::vector<uint8> itemMini;  // 16 * 16 indices
	std::string itemType;  // empty when itemMini was the item's own icon
};

// Looks among the icons shown for the pieces of stored, the new large icon of folder: the
// folder's large icon as shown last, and a mini icon of another node shown before it, that
// make exactly stored when the mini icon is drawn over the lower half (the way a Set icon
// composes them). Anything else is not traced. The icons shown are forgotten once traced,
// since the next store of that folder starts from other pixels.
bool TraceIcon(ShownIcons* shown, const IconNode& folder, const uint8* stored, IconTrace* trace);

}  // namespace platform

#endif
