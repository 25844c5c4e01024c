#ifndef PLATFORM_PNG_WRITER_H
#define PLATFORM_PNG_WRITER_H

#include <SupportDefs.h>

#include <vector>

namespace platform {

// A minimal PNG encoder: 8-bit RGBA, no filtering, the image data stored in uncompressed
// deflate blocks. Enough for the desktop's copies of the application icon, and nothing to
// link against.
class PngWriter {
public:
	// rgba holds width * height pixels of four bytes, rows from the top.
	static std::vector<uint8> Encode(const uint8* rgba, uint32 width, uint32 height);

	// A colour-mapped image through the system colour map; index 255 is transparent. Each
	// pixel becomes a square of scale × scale, so that larger desktop icons keep the
	// artwork's hard edges.
	static std::vector<uint8> EncodeColorMapped(
		const uint8* pixels, uint32 width, uint32 height, uint32 scale = 1);

	static uint32 Crc32(const uint8* bytes, size_t size, uint32 crc = 0);
	static uint32 Adler32(const uint8* bytes, size_t size);
};

}  // namespace platform

#endif
