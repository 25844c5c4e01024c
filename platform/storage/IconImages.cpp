#include "storage/IconImages.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <string.h>
#include <sys/stat.h>

#include <vector>

#include "support/ColorMapping.h"

namespace platform {

namespace {

// Theme icons are small; anything far larger is not an icon and is not decoded.
const off_t kMaxFileSize = 8 * 1024 * 1024;
const int kMaxDimension = 4096;
const int kMaxSize = 1024;

bool IsSvg(GdkPixbufFormat* format)
{
	gchar* name = gdk_pixbuf_format_get_name(format);
	bool svg = name != NULL && strcmp(name, "svg") == 0;
	g_free(name);
	return svg;
}

// Whether the file is one that may be decoded at all: small, and (for a raster image) of
// sane dimensions read from its header.
bool IsDecodable(const std::string& path)
{
	struct stat st;
	if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFileSize)
		return false;
	int width = 0;
	int height = 0;
	GdkPixbufFormat* format = gdk_pixbuf_get_file_info(path.c_str(), &width, &height);
	if (format == NULL)
		return false;
	if (IsSvg(format))
		return true;
	return width > 0 && height > 0 && width <= kMaxDimension && height <= kMaxDimension;
}

uint32 ArgbAt(const guchar* pixel, int channels)
{
	uint32 alpha = channels == 4 ? pixel[3] : 255;
	return (alpha << 24) | (uint32(pixel[0]) << 16) | (uint32(pixel[1]) << 8) | pixel[2];
}

}  // namespace

status_t RenderIconImage(const std::string& path, int size, std::vector<uint32>* argb)
{
	if (argb == NULL || size <= 0 || size > kMaxSize || !IsDecodable(path))
		return B_BAD_VALUE;
	GdkPixbuf* image = gdk_pixbuf_new_from_file_at_scale(path.c_str(), size, size, TRUE, NULL);
	if (image == NULL)
		return B_BAD_DATA;
	int width = gdk_pixbuf_get_width(image);
	int height = gdk_pixbuf_get_height(image);
	int channels = gdk_pixbuf_get_n_channels(image);
	if (gdk_pixbuf_get_colorspace(image) != GDK_COLORSPACE_RGB
		|| gdk_pixbuf_get_bits_per_sample(image) != 8 || (channels != 3 && channels != 4)
		|| width > size || height > size || width <= 0 || height <= 0) {
		g_object_unref(image);
		return B_BAD_DATA;
	}
	argb->assign(size * size, 0);
	int left = (size - width) / 2;
	int top = (size - height) / 2;
	const guchar* bits = gdk_pixbuf_read_pixels(image);
	int stride = gdk_pixbuf_get_rowstride(image);
	for (int y = 0; y < height; y++) {
		for (int x = 0; x < width; x++)
			(*argb)[(top + y) * size + left + x] =
				ArgbAt(bits + y * stride + x * channels, channels);
	}
	g_object_unref(image);
	return B_OK;
}

status_t LoadIconImage(const std::string& path, int size, uint8* pixels)
{
	if (pixels == NULL)
		return B_BAD_VALUE;
	std::vector<uint32> argb;
	status_t status = RenderIconImage(path, size, &argb);
	if (status == B_OK)
		ReduceARGB(argb.data(), pixels, argb.size());
	return status;
}

}  // namespace platform
