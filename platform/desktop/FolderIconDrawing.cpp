#include "desktop/FolderIconDrawing.h"

#include <Mime.h>

#include <list>
#include <mutex>
#include <utility>

#include "storage/TypeIconSource.h"

namespace platform {

namespace {

const int kLargeScale = FolderIconDrawing::kSize / B_LARGE_ICON;
const int kItemSize = FolderIconDrawing::kSize / 2;
const int kItemScale = kItemSize / B_MINI_ICON;

// The few theme images drawn last: a folder and the types of the last drops. Each one of
// 512 pixels takes a megabyte, so only a handful are kept.
const size_t kCachedImages = 4;

struct CachedImage {
	std::string path;
	int size;
	RgbaImage image;
};

std::mutex sCacheLock;
std::list<CachedImage> sCache;  // most recent first

bool CachedFile(const std::string& path, int size, RgbaImage* image)
{
	{
		std::lock_guard<std::mutex> lock(sCacheLock);
		for (auto it = sCache.begin(); it != sCache.end(); ++it) {
			if (it->path == path && it->size == size) {
				sCache.splice(sCache.begin(), sCache, it);
				*image = it->image;
				return true;
			}
		}
	}
	if (RgbaImage::FromFile(path, size, image) != B_OK)
		return false;
	std::lock_guard<std::mutex> lock(sCacheLock);
	sCache.push_front(CachedImage{path, size, *image});
	if (sCache.size() > kCachedImages)
		sCache.pop_back();
	return true;
}

}  // namespace

bool FolderIconDrawing::ThemeIcon(const std::string& type, int size, RgbaImage* image)
{
	if (type.empty())
		return false;
	std::string path = GetTypeIconFile(type.c_str(), size);
	return !path.empty() && CachedFile(path, size, image);
}

RgbaImage FolderIconDrawing::Draw(
	const uint8* stored, const IconTrace* trace, const RgbaImage* previousImage)
{
	if (trace == NULL)
		return RgbaImage::FromIndices(stored, B_LARGE_ICON, kLargeScale);

	RgbaImage image;
	if (previousImage != NULL)
		image = *previousImage;
	else if (!ThemeIcon(trace->folderType, kSize, &image))
		image = RgbaImage::FromIndices(trace->previousLarge.data(), B_LARGE_ICON, kLargeScale);

	RgbaImage item;
	if (!ThemeIcon(trace->itemType, kItemSize, &item))
		item = RgbaImage::FromIndices(trace->itemMini.data(), B_MINI_ICON, kItemScale);
	// Where the 32-pixel recipe puts the 16-pixel item: a quarter in, half way down.
	image.DrawOver(item, kSize / 4, kSize / 2);
	return image;
}

}  // namespace platform
