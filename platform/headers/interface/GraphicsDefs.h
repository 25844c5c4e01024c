#ifndef _GRAPHICS_DEFS_H
#define _GRAPHICS_DEFS_H

#include <SupportDefs.h>

typedef struct pattern {
	uint8 data[8];
} pattern;

extern const pattern B_SOLID_HIGH;
extern const pattern B_MIXED_COLORS;
extern const pattern B_SOLID_LOW;

typedef struct rgb_color {
	uint8 red;
	uint8 green;
	uint8 blue;
	uint8 alpha;

	bool operator==(const rgb_color& o) const
	{
		return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha;
	}
	bool operator!=(const rgb_color& o) const { return !(*this == o); }
} rgb_color;

// The system colour map: 256 entries, and the inversion table from 15-bit RGB (5 bits of
// each, red highest) to the nearest index.
typedef struct color_map {
	int32 id;
	rgb_color color_list[256];
	uint8 inversion_map[1 << 15];
	uint8 index_map[1 << 15];  // same as inversion_map
} color_map;

const color_map* system_colors();

extern const uint8 B_TRANSPARENT_8_BIT;  // 255, the index of a transparent pixel
#define B_TRANSPARENT_MAGIC_CMAP8 0xff
extern const rgb_color B_TRANSPARENT_COLOR;

typedef enum {
	B_NO_COLOR_SPACE = 0x0000,
	B_RGB32 = 0x0008,
	B_RGBA32 = 0x2008,
	B_RGB24 = 0x0003,
	B_CMAP8 = 0x0004,
	B_GRAY8 = 0x0002,
	B_GRAY1 = 0x0001,
	B_RGB32_BIG = 0x1008,
	B_RGBA32_BIG = 0x3008,

	B_COLOR_8_BIT = B_CMAP8,
	B_RGB_32_BIT = B_RGB32
} color_space;

enum drawing_mode {
	B_OP_COPY,
	B_OP_OVER,
	B_OP_ERASE,
	B_OP_INVERT,
	B_OP_ADD,
	B_OP_SUBTRACT,
	B_OP_BLEND,
	B_OP_MIN,
	B_OP_MAX,
	B_OP_SELECT,
	B_OP_ALPHA
};

#endif
