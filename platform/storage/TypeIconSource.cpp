#include "TypeIconSource.h"

#include <string.h>

#include <atomic>

#include "BuiltinIcons.h"

namespace platform {

const char kFolderMimeType[] = "application/x-vnd.Be-directory";
const char kSymLinkMimeType[] = "application/x-vnd.Be-symlink";
const char kExecutableMimeType[] = "application/x-vnd.Be-elfexecutable";
const char kDocumentMimeType[] = "application/octet-stream";

namespace {

std::atomic<const TypeIconSource*> sInstalledSource(nullptr);

}  // namespace

void
SetTypeIconSource(const TypeIconSource* source)
{
	sInstalledSource.store(source);
}

status_t
GetTypeIcon(const char* mimeType, icon_size size, uint8* pixels)
{
	if (pixels == NULL || (size != B_LARGE_ICON && size != B_MINI_ICON))
		return B_BAD_VALUE;
	if (mimeType == NULL)
		mimeType = kDocumentMimeType;
	const TypeIconSource* source = sInstalledSource.load();
	if (source != NULL && source->GetIcon(mimeType, size, pixels) == B_OK)
		return B_OK;
	const uint8* bits = BuiltinIconBits(BuiltinIconForType(mimeType), size);
	memcpy(pixels, bits, size * size);
	return B_OK;
}

}  // namespace platform
