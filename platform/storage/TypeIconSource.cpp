#include "storage/TypeIconSource.h"

#include <string.h>

#include <atomic>

#include "storage/BuiltinIcons.h"

namespace platform {

const char kFolderMimeType[] = "application/x-vnd.Be-directory";
const char kSymLinkMimeType[] = "application/x-vnd.Be-symlink";
const char kExecutableMimeType[] = "application/x-vnd.Be-elfexecutable";
const char kDocumentMimeType[] = "application/octet-stream";

namespace {

// Stands for "none chosen yet": the default source takes its place at first use.
class UnchosenSource : public TypeIconSource {
public:
	status_t GetIcon(const char*, icon_size, uint8*) const override { return B_ERROR; }
};

const UnchosenSource sUnchosen;
std::atomic<const TypeIconSource*> sInstalledSource(&sUnchosen);

const TypeIconSource* InstalledSource()
{
	const TypeIconSource* source = sInstalledSource.load();
	if (source != &sUnchosen)
		return source;
	// An explicit choice made meanwhile wins over the default.
	sInstalledSource.compare_exchange_strong(source, DefaultTypeIconSource());
	return sInstalledSource.load();
}

}  // namespace

void SetTypeIconSource(const TypeIconSource* source)
{
	sInstalledSource.store(source);
}

status_t GetTypeIcon(const char* mimeType, icon_size size, uint8* pixels)
{
	if (pixels == NULL || (size != B_LARGE_ICON && size != B_MINI_ICON))
		return B_BAD_VALUE;
	if (mimeType == NULL)
		mimeType = kDocumentMimeType;
	const TypeIconSource* source = InstalledSource();
	if (source != NULL && source->GetIcon(mimeType, size, pixels) == B_OK)
		return B_OK;
	const uint8* bits = BuiltinIconBits(BuiltinIconForType(mimeType), size);
	memcpy(pixels, bits, size * size);
	return B_OK;
}

std::string GetTypeIconFile(const char* mimeType, int size)
{
	const TypeIconSource* source = InstalledSource();
	if (source == NULL || mimeType == NULL || size <= 0)
		return std::string();
	return source->GetIconFile(mimeType, size);
}

}  // namespace platform
