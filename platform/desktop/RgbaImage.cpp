#include "desktop/RgbaImage.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <zlib.h>

#include "storage/IconImages.h"
#include "support/ByteOrder.h"
#include "support/ColorMapping.h"

namespace platform {

namespace {

const int kMaxSize = 1024;

std::string BigEndian(uint32 value)
{
	uint8 bytes[4];
	WriteBig(bytes, value, 4);
	return std::string(reinterpret_cast<const char*>(bytes), 4);
}

void AppendChunk(std::string* png, const char* type, const std::string& data)
{
	std::string body = std::string(type, 4) + data;
	uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(body.data()), body.size());
	*png += BigEndian(data.size()) + body + BigEndian(uint32(crc));
}

}  // namespace

RgbaImage::RgbaImage(int size) :
	fSize(size > 0 && size <= kMaxSize ? size : 0),
	fPixels(fSize * fSize, 0)
{
}

status_t RgbaImage::FromFile(const std::string& path, int size, RgbaImage* image)
{
	RgbaImage drawn(size);
	status_t status = RenderIconImage(path, size, &drawn.fPixels);
	if (status == B_OK)
		*image = std::move(drawn);
	return status;
}

RgbaImage RgbaImage::FromIndices(const uint8* pixels, int size, int scale)
{
	RgbaImage image(size * scale);
	for (int y = 0; y < image.fSize; y++) {
		const uint8* row = pixels + (y / scale) * size;
		for (int x = 0; x < image.fSize; x++)
			image.fPixels[y * image.fSize + x] = ARGBForIndex(row[x / scale]);
	}
	return image;
}

status_t RgbaImage::FromPng(const std::string& png, int size, RgbaImage* image)
{
	// The size its header states, checked before anything is decoded: a file may claim any.
	if (png.size() < 24 || png.compare(12, 4, "IHDR") != 0
		|| png.compare(16, 8, BigEndian(size) + BigEndian(size)) != 0)
		return B_BAD_DATA;
	GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("png", NULL);
	if (loader == NULL)
		return B_ERROR;
	bool loaded = gdk_pixbuf_loader_write(
		loader, reinterpret_cast<const guchar*>(png.data()), png.size(), NULL);
	loaded = gdk_pixbuf_loader_close(loader, NULL) && loaded;
	GdkPixbuf* decoded = loaded ? gdk_pixbuf_loader_get_pixbuf(loader) : NULL;
	status_t status = B_BAD_DATA;
	if (decoded != NULL && gdk_pixbuf_get_width(decoded) == size
		&& gdk_pixbuf_get_height(decoded) == size && gdk_pixbuf_get_n_channels(decoded) == 4
		&& gdk_pixbuf_get_bits_per_sample(decoded) == 8) {
		RgbaImage result(size);
		const guchar* bits = gdk_pixbuf_read_pixels(decoded);
		int stride = gdk_pixbuf_get_rowstride(decoded);
		for (int y = 0; y < size; y++) {
			const guchar* pixel = bits + y * stride;
			for (int x = 0; x < size; x++, pixel += 4) {
				result.fPixels[y * size + x] = (uint32(pixel[3]) << 24) | (uint32(pixel[0]) << 16)
					| (uint32(pixel[1]) << 8) | pixel[2];
			}
		}
		*image = std::move(result);
		status = B_OK;
	}
	g_object_unref(loader);
	return status;
}

void RgbaImage::DrawOver(const RgbaImage& top, int left, int topEdge)
{
	for (int y = 0; y < top.fSize; y++) {
		int row = topEdge + y;
		if (row < 0 || row >= fSize)
			continue;
		for (int x = 0; x < top.fSize; x++) {
			int column = left + x;
			if (column < 0 || column >= fSize)
				continue;
			uint32 source = top.fPixels[y * top.fSize + x];
			uint32 sourceAlpha = source >> 24;
			if (sourceAlpha == 0)
				continue;
			uint32& target = fPixels[row * fSize + column];
			if (sourceAlpha == 255) {
				target = source;
				continue;
			}
			// Straight alpha: the colours are weighed by how much each contributes.
			uint32 targetAlpha = target >> 24;
			uint32 below = targetAlpha * (255 - sourceAlpha);  // up to 255 * 255
			uint32 alpha = sourceAlpha * 255 + below;  // the result's alpha * 255
			uint32 result = ((alpha + 127) / 255) << 24;
			for (int shift = 0; shift <= 16; shift += 8) {
				uint32 s = (source >> shift) & 0xff;
				uint32 t = (target >> shift) & 0xff;
				uint32 channel = (s * sourceAlpha * 255 + t * below + alpha / 2) / alpha;
				result |= channel << shift;
			}
			target = result;
		}
	}
}

status_t RgbaImage::EncodePng(
	const std::vector<std::pair<std::string, std::string>>& texts, std::string* png) const
{
	if (fSize <= 0)
		return B_BAD_VALUE;
	// Each row is filtered with "Up" (its difference to the row above): icons are mostly
	// smooth and their transparent parts long runs, which deflate's fastest level packs well.
	const size_t rowBytes = size_t(fSize) * 4;
	std::string rows((rowBytes + 1) * fSize, '\0');
	std::string previous(rowBytes, '\0');
	std::string current(rowBytes, '\0');
	for (int y = 0; y < fSize; y++) {
		for (int x = 0; x < fSize; x++) {
			uint32 pixel = fPixels[y * fSize + x];
			current[x * 4] = char(pixel >> 16);
			current[x * 4 + 1] = char(pixel >> 8);
			current[x * 4 + 2] = char(pixel);
			current[x * 4 + 3] = char(pixel >> 24);
		}
		char* row = &rows[y * (rowBytes + 1)];
		row[0] = 2;
		for (size_t i = 0; i < rowBytes; i++)
			row[1 + i] = char(current[i] - previous[i]);
		previous.swap(current);
	}
	uLongf packedSize = compressBound(rows.size());
	std::string packed(packedSize, '\0');
	if (compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedSize,
			reinterpret_cast<const Bytef*>(rows.data()), rows.size(), Z_BEST_SPEED)
		!= Z_OK)
		return B_ERROR;
	packed.resize(packedSize);

	std::string header = BigEndian(fSize) + BigEndian(fSize);
	header += std::string("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA
	*png = std::string("\x89PNG\r\n\x1a\n", 8);
	AppendChunk(png, "IHDR", header);
	for (const auto& text : texts)
		AppendChunk(png, "tEXt", text.first + '\0' + text.second);
	AppendChunk(png, "IDAT", packed);
	AppendChunk(png, "IEND", std::string());
	return B_OK;
}

}  // namespace platform
