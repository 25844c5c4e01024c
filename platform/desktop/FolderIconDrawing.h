#ifndef PLATFORM_DESKTOP_FOLDER_ICON_DRAWING_H
#define PLATFORM_DESKTOP_FOLDER_ICON_DRAWING_H

#include <SupportDefs.h>

#include <string>

#include "desktop/IconTrace.h"
#include "desktop/RgbaImage.h"

namespace platform {

// Draws the image that shows a folder's stored large icon, at full resolution, from the
// recipe that the 32-pixel icon was composed by: the base scaled to kSize, the dropped
// item's icon at half that size over the middle of its lower half. Each piece is the theme's
// own image at that size where the 32-pixel piece came from the theme; an own icon, a
// built-in icon, or a theme file that does not render is drawn scaled without smoothing.
class FolderIconDrawing {
public:
	static const int kSize = 512;

	// trace: what stored was drawn from, NULL when unknown; then the image is stored scaled.
	// previousImage: the image of ours, kSize wide, that shows trace->previousLarge, when
	// there is one.
	static RgbaImage Draw(
		const uint8* stored, const IconTrace* trace, const RgbaImage* previousImage);

	// The type's icon from the desktop's theme drawn at size, kept for the next drawing.
	static bool ThemeIcon(const std::string& type, int size, RgbaImage* image);
};

}  // namespace platform

#endif
