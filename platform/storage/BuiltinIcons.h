#ifndef PLATFORM_BUILTIN_ICONS_H
#define PLATFORM_BUILTIN_ICONS_H

#include <Mime.h>
#include <SupportDefs.h>

namespace platform {

enum class BuiltinIcon {
	kFolder,
	kDocument,
	kExecutable,
	kLink
};

// The platform's own icon, size * size colour-mapped pixels with rows packed, on a
// transparent background with a black outline; NULL for a size other than 32 or 16.
const uint8* BuiltinIconBits(BuiltinIcon icon, icon_size size);

// Which built-in icon shows a type: folders, links and executables have their own, every
// other type is a document.
BuiltinIcon BuiltinIconForType(const char* mimeType);

}  // namespace platform

#endif
