#include "desktop/IconTrace.h"

#include <GraphicsDefs.h>

#include <string.h>

namespace platform {

namespace {

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

bool TraceIcon(ShownIcons* shown, const IconNode& folder, const uint8* stored, IconTrace* trace)
{
	if (shown == NULL)
		return false;
	for (int age = 0; age + 1 < ShownIcons::kRemembered; age++) {
		const ShownIcons::Shown& large = shown->Recent(age);
		if (large.which != B_LARGE_ICON || large.device != folder.device
			|| large.node != folder.inode)
			continue;
		for (int older = age + 1; older < ShownIcons::kRemembered; older++) {
			const ShownIcons::Shown& mini = shown->Recent(older);
			if (mini.which != B_MINI_ICON
				|| (mini.device == folder.device && mini.node == folder.inode)
				|| !ComposesTo(large.pixels, mini.pixels, stored))
				continue;
			trace->previousLarge.assign(large.pixels, large.pixels + B_LARGE_ICON * B_LARGE_ICON);
			trace->folderType = large.type;
			trace->itemMini.assign(mini.pixels, mini.pixels + B_MINI_ICON * B_MINI_ICON);
			trace->itemType = mini.type;
			shown->Forget();
			return true;
		}
		return false;
	}
	return false;
}

}  // namespace platform
