#include "IconImages.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <string.h>
#include <sys/stat.h>
#include <zlib.h>

#include <vector>

#include "interface/ColorMapping.h"

namespace platform {

namespace {

// Theme icons are small; anything far larger is not an icon and is not decoded.
const off_t kMaxFileSize = 8 * 1024 * 1024;
const int kMaxDimension = 4096;
const int kMaxSize = 1024;

bool
IsSvg(GdkPixbufFormat* format)
{
	gchar* name = gdk_pixbuf_format_get_name(format);
	bool svg = name != NULL && strcmp(name, "svg") == 0;
	g_free(name);
	return svg;
}

// Whether the file is one that may be decoded at all: small, and (for a raster image) of
// sane dimensions read from its header.
bool
IsDecodable(const std::string& path)
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

uint32
ArgbAt(const guchar* pixel, int channels)
{
	uint32 alpha = channels == 4 ? pixel[3] : 255;
	return (alpha << 24) | (uint32(pixel[0]) << 16) | (uint32(pixel[1]) << 8) | pixel[2];
}

std::string
BigEndian(uint32 value)
{
	char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
	return std::string(bytes, 4);
}

void
AppendChunk(std::string* png, const char* type, const std::string& data)
{
	std::string body = std::string(type, 4) + data;
	uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(body.data()), body.size());
	*png += BigEndian(data.size()) + body + BigEndian(uint32(crc));
}

}  // namespace

status_t
LoadIconImage(const std::string& path, int size, uint8* pixels)
{
	if (pixels == NULL || size <= 0 || size > kMaxSize || !IsDecodable(path))
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
	std::vector<uint32> argb(size * size, 0);
	int left = (size - width) / 2;
	int top = (size - height) / 2;
	const guchar* bits = gdk_pixbuf_read_pixels(image);
	int stride = gdk_pixbuf_get_rowstride(image);
	for (int y = 0; y < height; y++) {
		for (int x = 0; x < width; x++)
			argb[(top + y) * size + left + x] = ArgbAt(bits + y * stride + x * channels, channels);
	}
	g_object_unref(image);
	ReduceARGB(argb.data(), pixels, argb.size());
	return B_OK;
}

status_t
EncodeIconPng(const uint8* pixels, int size, int scale, const char* software,
	std::string* png)
{
	if (pixels == NULL || png == NULL || size <= 0 || scale <= 0 || size * scale > kMaxDimension)
		return B_BAD_VALUE;
	// Indexed through the colour map itself: every colour exact, index 255 transparent.
	const uint32 side = size * scale;
	std::string palette, alphas;
	for (int index = 0; index < 256; index++) {
		uint32 argb = ARGBForIndex(uint8(index));
		palette += char(argb >> 16);
		palette += char(argb >> 8);
		palette += char(argb);
		alphas += char(argb >> 24);
	}
	// Each icon row repeats scale times: the repeats are "same as the row above" (filter 2),
	// all zeros, which deflate packs at almost no cost.
	std::string rows(side * (side + 1), '\0');
	for (uint32 y = 0; y < side; y++) {
		char* row = &rows[y * (side + 1)];
		if (y % scale != 0) {
			row[0] = 2;
			continue;
		}
		const uint8* source = pixels + (y / scale) * size;
		for (int x = 0; x < size; x++)
			memset(row + 1 + x * scale, source[x], scale);
	}
	uLongf packedSize = compressBound(rows.size());
	std::string packed(packedSize, '\0');
	if (compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedSize,
			reinterpret_cast<const Bytef*>(rows.data()), rows.size(), Z_BEST_SPEED) != Z_OK)
		return B_ERROR;
	packed.resize(packedSize);

	std::string header = BigEndian(side) + BigEndian(side);
	header += std::string("\x08\x03\x00\x00\x00", 5);  // 8 bits, indexed
	*png = std::string("\x89PNG\r\n\x1a\n", 8);
	AppendChunk(png, "IHDR", header);
	AppendChunk(png, "PLTE", palette);
	AppendChunk(png, "tRNS", alphas);
	AppendChunk(png, "tEXt", std::string("Software") + '\0' + (software != NULL ? software : ""));
	AppendChunk(png, "IDAT", packed);
	AppendChunk(png, "IEND", std::string());
	return B_OK;
}

}  // namespace platform
