#include "desktop/RecentIcons.h"

#include <GraphicsDefs.h>

#include <string.h>

namespace platform {

namespace {

struct Shown {
	dev_t device = 0;
	ino_t node = 0;
	int which = 0;  // 0: an empty slot
	uint8 pixels[B_LARGE_ICON * B_LARGE_ICON];
	std::string type;
};

// A ring, tNext the slot to fill next; each thread has its own, so nothing is shared or
// locked.
thread_local Shown tShown[RecentIcons::kRemembered];
thread_local int tNext = 0;

// The icon shown age icons before the last one.
Shown& Recent(int age)
{
	return tShown[(tNext + RecentIcons::kRemembered - 1 - age) % RecentIcons::kRemembered];
}

const int kItemLeft = 8;
const int kItemTop = 16;

bool ComposesTo(const uint8* previous, const uint8* item, const uint8* stored)
{
	uint8 composed[B_LARGE_ICON * B_LARGE_ICON];
	memcpy(composed, previous, sizeof(composed));
	for (int y = 0; y < B_MINI_ICON; y++) {
		for (int x = 0; x < B_MINI_ICON; x++) {
			uint8 pixel = item[y * B_MINI_ICON + x];
			if (pixel != B_TRANSPARENT_MAGIC_CMAP8)
				composed[(kItemTop + y) * B_LARGE_ICON + kItemLeft + x] = pixel;
		}
	}
	return memcmp(composed, stored, sizeof(composed)) == 0;
}

}  // namespace

void RecentIcons::Remember(
	dev_t device, ino_t node, icon_size which, const uint8* pixels, const char* type)
{
	if (pixels == NULL || (which != B_LARGE_ICON && which != B_MINI_ICON))
		return;
	Shown& last = tShown[tNext];
	tNext = (tNext + 1) % kRemembered;
	last.device = device;
	last.node = node;
	last.which = which;
	memcpy(last.pixels, pixels, which * which);
	last.type = type != NULL ? type : "";
}

bool RecentIcons::Trace(dev_t device, ino_t node, const uint8* stored, IconTrace* trace)
{
	for (int folder = 0; folder + 1 < kRemembered; folder++) {
		const Shown& large = Recent(folder);
		if (large.which != B_LARGE_ICON || large.device != device || large.node != node)
			continue;
		for (int item = folder + 1; item < kRemembered; item++) {
			const Shown& mini = Recent(item);
			if (mini.which != B_MINI_ICON || (mini.device == device && mini.node == node)
				|| !ComposesTo(large.pixels, mini.pixels, stored))
				continue;
			trace->previousLarge.assign(large.pixels, large.pixels + B_LARGE_ICON * B_LARGE_ICON);
			trace->folderType = large.type;
			trace->itemMini.assign(mini.pixels, mini.pixels + B_MINI_ICON * B_MINI_ICON);
			trace->itemType = mini.type;
			for (Shown& shown : tShown)
				shown.which = 0;
			return true;
		}
		return false;
	}
	return false;
}

}  // namespace platform
