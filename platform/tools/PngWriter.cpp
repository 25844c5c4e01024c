#include "tools/PngWriter.h"

#include <GraphicsDefs.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace platform {

namespace {

const size_t kStoredBlockMax = 65535;

void PutBig32(std::vector<uint8>& out, uint32 value)
{
	out.push_back(value >> 24);
	out.push_back(value >> 16);
	out.push_back(value >> 8);
	out.push_back(value);
}

void PutChunk(std::vector<uint8>& png, const char* type, const std::vector<uint8>& data)
{
	PutBig32(png, data.size());
	size_t start = png.size();
	png.insert(png.end(), type, type + 4);
	png.insert(png.end(), data.begin(), data.end());
	PutBig32(png, PngWriter::Crc32(png.data() + start, png.size() - start));
}

// A zlib stream of stored deflate blocks.
std::vector<uint8> StoredZlib(const std::vector<uint8>& raw)
{
	std::vector<uint8> out = {0x78, 0x01};
	size_t at = 0;
	do {
		size_t length = std::min(kStoredBlockMax, raw.size() - at);
		bool last = at + length == raw.size();
		out.push_back(last ? 1 : 0);
		out.push_back(length);
		out.push_back(length >> 8);
		out.push_back(~length);
		out.push_back(~length >> 8);
		out.insert(out.end(), raw.begin() + at, raw.begin() + at + length);
		at += length;
	} while (at < raw.size());
	PutBig32(out, PngWriter::Adler32(raw.data(), raw.size()));
	return out;
}

}  // namespace

uint32 PngWriter::Crc32(const uint8* bytes, size_t size, uint32 crc)
{
	static const std::array<uint32, 256> table = [] {
		std::array<uint32, 256> result;
		for (uint32 n = 0; n < 256; n++) {
			uint32 c = n;
			for (int k = 0; k < 8; k++)
				c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
			result[n] = c;
		}
		return result;
	}();
	crc = ~crc;
	for (size_t i = 0; i < size; i++)
		crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
	return ~crc;
}

uint32 PngWriter::Adler32(const uint8* bytes, size_t size)
{
	uint32 a = 1;
	uint32 b = 0;
	for (size_t i = 0; i < size; i++) {
		a = (a + bytes[i]) % 65521;
		b = (b + a) % 65521;
	}
	return b << 16 | a;
}

std::vector<uint8> PngWriter::Encode(const uint8* rgba, uint32 width, uint32 height)
{
	std::vector<uint8> raw;
	raw.reserve((size_t)height * (1 + 4 * (size_t)width));
	for (uint32 y = 0; y < height; y++) {
		raw.push_back(0);  // no filter
		const uint8* row = rgba + (size_t)y * width * 4;
		raw.insert(raw.end(), row, row + (size_t)width * 4);
	}

	std::vector<uint8> header;
	PutBig32(header, width);
	PutBig32(header, height);
	header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter, no interlace

	std::vector<uint8> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
	PutChunk(png, "IHDR", header);
	PutChunk(png, "IDAT", StoredZlib(raw));
	PutChunk(png, "IEND", {});
	return png;
}

std::vector<uint8> PngWriter::EncodeColorMapped(
	const uint8* pixels, uint32 width, uint32 height, uint32 scale)
{
	const color_map* map = system_colors();
	std::vector<uint8> rgba;
	rgba.reserve((size_t)width * height * scale * scale * 4);
	for (size_t y = 0; y < (size_t)height * scale; y++) {
		for (size_t x = 0; x < (size_t)width * scale; x++) {
			uint8 index = pixels[(y / scale) * width + x / scale];
			if (index == B_TRANSPARENT_MAGIC_CMAP8) {
				rgba.insert(rgba.end(), {0, 0, 0, 0});
				continue;
			}
			const rgb_color& color = map->color_list[index];
			rgba.insert(rgba.end(), {color.red, color.green, color.blue, 255});
		}
	}
	return Encode(rgba.data(), width * scale, height * scale);
}

}  // namespace platform
