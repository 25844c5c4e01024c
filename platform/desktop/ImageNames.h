#ifndef PLATFORM_DESKTOP_IMAGE_NAMES_H
#define PLATFORM_DESKTOP_IMAGE_NAMES_H

#include <SupportDefs.h>

#include <string>

namespace platform {

// The images that show a folder's own icon to the file managers are named after what they
// show, ".vellumark-icon-" + the first 16 hex digits of the SHA-256 of the stored large
// icon + ".png": file managers cache an image by its path, so a new icon needs a new path.
// A file counts as ours only with such a name (or the fixed name of earlier versions) and
// our Software text inside.
extern const char kFolderIconSoftware[];
extern const char kLegacyFolderIconImage[];
// The text chunk keyword under which an image records the whole hash of what it shows.
extern const char kFolderIconHashKeyword[];

std::string LargeIconHash(const uint8* largeIcon);
std::string FolderIconImageName(const uint8* largeIcon);
// The same name, from the icon's LargeIconHash.
std::string FolderIconImageNameForHash(const std::string& hash);

// Whether the name is one of ours: the pattern above or the legacy fixed name.
bool IsFolderIconImageName(const std::string& name);

// The Icon value of a .directory for an image in its folder, and whether a value is one.
std::string FolderIconDirectoryValue(const std::string& name);
bool IsFolderIconDirectoryValue(const std::string& value);

// Whether png is a PNG that carries our Software text.
bool CarriesFolderIconSoftware(const std::string& png);

// The hash that an image of ours records, or an empty string.
std::string RecordedLargeIconHash(const std::string& png);

// Whether png is an image of ours of the large icon with that hash, whole: our Software
// text, that hash recorded, and the end chunk last (nothing was cut off).
bool IsFolderIconImageOf(const std::string& png, const std::string& hash);

}  // namespace platform

#endif
