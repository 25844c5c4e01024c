#ifndef PLATFORM_DESKTOP_RECENT_ICONS_H
#define PLATFORM_DESKTOP_RECENT_ICONS_H

#include <Mime.h>
#include <SupportDefs.h>

#include <string>
#include <sys/types.h>
#include <vector>

namespace platform {

// What a folder's new large icon was drawn from, when the thread that stores it has just
// read the pieces: the folder's icon as it was shown and the dropped item's mini icon.
struct IconTrace {
	std::vector<uint8> previousLarge;  // 32 * 32 indices
	std::string folderType;  // empty when previousLarge was the folder's own icon
	std::vector<uint8> itemMini;  // 16 * 16 indices
	std::string itemType;  // empty when itemMini was the item's own icon
};

// The last few icons shown on this thread. A store is traced only when the stored pixels
// are exactly the folder's previous large icon with an item's mini icon drawn over it in
// the lower half (the way a Set icon composes them); anything else is not traced.
class RecentIcons {
public:
	static void Remember(
		dev_t device, ino_t node, icon_size which, const uint8* pixels, const char* type);

	// Looks for the pieces of stored, the new large icon of the folder; they are forgotten
	// once found, since the next store of that folder starts from other pixels.
	static bool Trace(dev_t device, ino_t node, const uint8* stored, IconTrace* trace);

	static const int kRemembered = 6;
};

}  // namespace platform

#endif
