#ifndef PLATFORM_RESOURCE_FORMAT_H
#define PLATFORM_RESOURCE_FORMAT_H

#include <SupportDefs.h>

#include <cstddef>

#include "support/ByteOrder.h"

// The resource container's fixed layout. Offsets count from the container's first byte;
// every word is a little-endian 32-bit number.
namespace platform {
namespace resource_format {

const uint32 kMagic = 0x444F1000;

const uint32 kHeaderSize = 68;
const uint32 kHeaderReservedWords = 13;

// The index section: a header of triples, then the entry table.
const uint32 kIndexOffset = kHeaderSize;
const uint32 kIndexSize = 0x600;
const uint32 kIndexHeaderSize = 132;
const uint32 kIndexInfoOffsetAt = 120;  // within the index section
const uint32 kIndexInfoSizeAt = 124;
const uint32 kEntrySize = 12;
const uint32 kEntryCount = (kIndexSize - kIndexHeaderSize) / kEntrySize;  // 117

const uint32 kReservedOffset = kIndexOffset + kIndexSize;  // 1604
const uint32 kReservedSize = 360;
const uint32 kDataOffset = 1968;

// A triple that holds nothing: (0, 0xFFFFFFFF, 1001).
const uint32 kFreeOffset = 0;
const uint32 kFreeSize = 0xFFFFFFFF;
const uint32 kFreeMarker = 1001;
const uint32 kUsedMarker = 0;

const uint32 kBlockEnd = 0xFFFFFFFF;  // two of these end a block of the info table
const uint32 kEndRecordSize = 8;
const uint32 kRecordFixedSize = 10;  // id, entry number, name size

inline uint32 GetWord(const uint8* at)
{
	return uint32(platform::ReadLittle(at, 4));
}

inline uint16 GetHalf(const uint8* at)
{
	return uint16(platform::ReadLittle(at, 2));
}

inline void PutWord(uint8* at, uint32 value)
{
	platform::WriteLittle(at, value, 4);
}

inline void PutHalf(uint8* at, uint16 value)
{
	platform::WriteLittle(at, value, 2);
}

// The info table's checksum: its bytes in groups of four read most significant byte first,
// a last short group counting as the number its few bytes make alone.
inline uint32 Checksum(const uint8* bytes, size_t size)
{
	uint32 sum = 0;
	size_t i = 0;
	for (; i + 4 <= size; i += 4)
		sum += uint32(platform::ReadBig(bytes + i, 4));
	return sum + uint32(platform::ReadBig(bytes + i, int(size - i)));
}

}  // namespace resource_format
}  // namespace platform

#endif
