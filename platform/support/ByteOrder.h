#ifndef PLATFORM_BYTE_ORDER_H
#define PLATFORM_BYTE_ORDER_H

#include <SupportDefs.h>

namespace platform {

// Numbers of width bytes (at most 8) as files and messages store them: the most significant
// byte first (big-endian) or last (little-endian), whatever the machine's own order.
inline uint64 ReadBig(const uint8* at, int width)
{
	uint64 value = 0;
	for (int i = 0; i < width; i++)
		value = value << 8 | at[i];
	return value;
}

inline uint64 ReadLittle(const uint8* at, int width)
{
	uint64 value = 0;
	for (int i = width; i-- > 0;)
		value = value << 8 | at[i];
	return value;
}

inline void WriteBig(uint8* at, uint64 value, int width)
{
	for (int i = width; i-- > 0; value >>= 8)
		at[i] = uint8(value);
}

inline void WriteLittle(uint8* at, uint64 value, int width)
{
	for (int i = 0; i < width; i++, value >>= 8)
		at[i] = uint8(value);
}

}  // namespace platform

#endif
