#ifndef PLATFORM_TYPE_ICON_SOURCE_H
#define PLATFORM_TYPE_ICON_SOURCE_H

#include <Mime.h>
#include <SupportDefs.h>

#include <string>

namespace platform {

// The types the file manager gives a node that carries none of its own.
extern const char kFolderMimeType[];
extern const char kSymLinkMimeType[];
extern const char kExecutableMimeType[];
extern const char kDocumentMimeType[];

// Where the icon of a file type comes from. The platform's built-in icons are always there;
// a source installed in front of them (the desktop's icon theme) is asked first.
class TypeIconSource {
public:
	virtual ~TypeIconSource() {}

	// Writes size * size colour-mapped pixels, rows packed, for the type: B_OK, or a
	// failure when the source has no icon for it (pixels are then left undefined).
	virtual status_t GetIcon(const char* mimeType, icon_size size, uint8* pixels) const = 0;

	// The image file that GetIcon would draw the type's icon from at size pixels, for
	// drawing it larger elsewhere; empty when there is none (the built-in icon is used).
	virtual std::string GetIconFile(const char*, int) const { return std::string(); }
};

// Installs the source asked before the built-in icons; NULL leaves only the built-in ones.
// The caller keeps the source and keeps it alive while it is installed. Until it is first
// called, the default source below is installed at the first icon asked for.
void SetTypeIconSource(const TypeIconSource* source);

// The desktop's icon theme, the user's own (see ThemeIconSource); it lives for the process.
const TypeIconSource* DefaultTypeIconSource();

// The icon of a type: the installed source's, else the built-in one (a document for a type
// it does not know). Fails only for a size other than B_LARGE_ICON and B_MINI_ICON.
status_t GetTypeIcon(const char* mimeType, icon_size size, uint8* pixels);

// The file the installed source draws the type's icon from at size pixels, or empty.
std::string GetTypeIconFile(const char* mimeType, int size);

}  // namespace platform

#endif
