#include "tools/ResourceContainer.h"

#include "tools/ResourceFormat.h"

#include <cstdio>
#include <cstring>

namespace platform {

using namespace resource_format;

namespace {

std::string Hex(uint32 value)
{
	char text[16];
	snprintf(text, sizeof(text), "0x%08X", value);
	return text;
}

// Whether [offset, offset + size) lies within size bytes, without overflowing.
bool Fits(uint64 offset, uint64 size, uint64 total)
{
	return offset <= total && size <= total - offset;
}

// Far more than any executable carries; bounds the work a hostile table can cause.
const uint32 kMaxEntries = 4096;

bool Overlap(uint64 aStart, uint64 aSize, uint64 bStart, uint64 bSize)
{
	return aSize > 0 && bSize > 0 && aStart < bStart + bSize && bStart < aStart + aSize;
}

}  // namespace

std::string TypeCodeText(type_code type)
{
	std::string text = "'";
	for (int shift = 24; shift >= 0; shift -= 8) {
		char c = (char)(type >> shift);
		if (c >= 0x20 && c < 0x7F && c != '\\' && c != '\'') {
			text += c;
		} else {
			char escape[8];
			snprintf(escape, sizeof(escape), "\\x%02X", (uint8)c);
			text += escape;
		}
	}
	return text + "'";
}

ResourceContainer::ResourceContainer() :
	fBytes(NULL),
	fSize(0),
	fResourceCount(0),
	fIndexOffset(0),
	fIndexSize(0),
	fInfoOffset(0),
	fInfoSize(0),
	fChecksum(0)
{
}

status_t ResourceContainer::SetTo(const uint8* bytes, size_t size)
{
	fBytes = bytes;
	fSize = bytes != NULL ? size : 0;
	fEntries.clear();
	fResources.clear();
	fError.clear();

	status_t status = ReadHeader();
	if (status == B_OK)
		status = ReadIndexSection();
	if (status == B_OK)
		status = ReadInfoTable();
	if (status == B_OK)
		status = CheckTotals();
	if (status != B_OK)
		fResources.clear();
	return status;
}

const Resource* ResourceContainer::Find(type_code type, int32 id) const
{
	for (const Resource& resource : fResources) {
		if (resource.type == type && resource.id == id)
			return &resource;
	}
	return NULL;
}

status_t ResourceContainer::Fail(const std::string& message)
{
	fError = message;
	return B_BAD_DATA;
}

status_t ResourceContainer::ReadHeader()
{
	if (fSize < kHeaderSize) {
		return Fail("truncated: " + std::to_string(fSize) + " bytes, but the header alone takes "
			+ std::to_string(kHeaderSize));
	}
	uint32 magic = GetWord(fBytes);
	if (magic != kMagic)
		return Fail("wrong magic " + Hex(magic) + ", expected " + Hex(kMagic));
	fResourceCount = GetWord(fBytes + 4);
	fIndexOffset = GetWord(fBytes + 8);
	if (fIndexOffset < kHeaderSize || !Fits(fIndexOffset, kIndexHeaderSize, fSize))
		return Fail(
			"the index section at " + std::to_string(fIndexOffset) + " lies outside the container");
	return B_OK;
}

status_t ResourceContainer::ReadIndexSection()
{
	const uint8* section = fBytes + fIndexOffset;
	fIndexSize = GetWord(section + 4);
	if (fIndexSize < kIndexHeaderSize || !Fits(fIndexOffset, fIndexSize, fSize))
		return Fail("the index section's size " + std::to_string(fIndexSize)
			+ " does not fit the container");
	fInfoOffset = GetWord(section + kIndexInfoOffsetAt);
	fInfoSize = GetWord(section + kIndexInfoSizeAt);
	if (fInfoSize < kEndRecordSize || !Fits(fInfoOffset, fInfoSize, fSize))
		return Fail("the info table (offset " + std::to_string(fInfoOffset) + ", size "
			+ std::to_string(fInfoSize) + ") does not fit the container of " + std::to_string(fSize)
			+ " bytes");
	if (Overlap(fInfoOffset, fInfoSize, 0, (uint64)fIndexOffset + fIndexSize))
		return Fail("the info table overlaps the header or the index section");

	uint32 count = (fIndexSize - kIndexHeaderSize) / kEntrySize;
	if (count > kMaxEntries)
		return Fail("the index section claims " + std::to_string(count) + " entries, more than the "
			+ std::to_string(kMaxEntries) + " a container may hold");
	const uint8* entry = section + kIndexHeaderSize;
	for (uint32 i = 0; i < count; i++, entry += kEntrySize)
		fEntries.push_back(Entry{GetWord(entry), GetWord(entry + 4), GetWord(entry + 8)});
	return B_OK;
}

// Blocks run up to the end record, which takes the table's last 8 bytes.
status_t ResourceContainer::ReadInfoTable()
{
	size_t pos = fInfoOffset;
	size_t end = (size_t)fInfoOffset + fInfoSize - kEndRecordSize;
	while (pos < end) {
		status_t status = ReadBlock(&pos, end);
		if (status != B_OK)
			return status;
	}

	fChecksum = GetWord(fBytes + end);
	uint32 computed = Checksum(fBytes + fInfoOffset, end - fInfoOffset);
	if (fChecksum != computed)
		return Fail("info table checksum " + Hex(fChecksum) + " does not match its bytes ("
			+ Hex(computed) + ")");
	if (GetWord(fBytes + end + 4) != 0)
		return Fail("the info table's end record does not end with a zero word");
	return B_OK;
}

status_t ResourceContainer::ReadBlock(size_t* pos, size_t end)
{
	if (end - *pos < 4)
		return Fail("the info table ends inside a block's type code");
	type_code type = GetWord(fBytes + *pos);
	*pos += 4;
	bool empty = true;
	while (true) {
		if (end - *pos < 8)
			return Fail("the info table ends inside the block of type " + TypeCodeText(type));
		if (GetWord(fBytes + *pos) == kBlockEnd && GetWord(fBytes + *pos + 4) == kBlockEnd) {
			*pos += 8;
			break;
		}
		status_t status = ReadRecord(type, pos, end);
		if (status != B_OK)
			return status;
		empty = false;
	}
	if (empty)
		return Fail("the block of type " + TypeCodeText(type) + " holds no resource");
	return B_OK;
}

status_t ResourceContainer::ReadRecord(type_code type, size_t* pos, size_t end)
{
	if (end - *pos < kRecordFixedSize)
		return Fail("the info table ends inside a resource record");
	Resource resource;
	resource.type = type;
	resource.id = (int32)GetWord(fBytes + *pos);
	resource.entry = (int32)GetWord(fBytes + *pos + 4);
	uint16 nameSize = GetHalf(fBytes + *pos + 8);
	*pos += kRecordFixedSize;

	std::string what = "resource " + TypeCodeText(type) + " " + std::to_string(resource.id);
	if (nameSize == 0 || end - *pos < nameSize)
		return Fail("the name of " + what + " runs past the info table");
	const char* name = (const char*)fBytes + *pos;
	if (name[nameSize - 1] != '\0' || memchr(name, 0, nameSize) != name + nameSize - 1)
		return Fail("the name of " + what + " is not NUL-terminated within its size");
	resource.name.assign(name, nameSize - 1);
	*pos += nameSize;

	if (resource.entry < 1 || (size_t)resource.entry > fEntries.size())
		return Fail(what + " names entry " + std::to_string(resource.entry) + ", but the table has "
			+ std::to_string(fEntries.size()));
	const Entry& entry = fEntries[resource.entry - 1];
	if (entry.marker != kUsedMarker)
		return Fail(what + " names entry " + std::to_string(resource.entry) + ", which is free");
	if (!Fits(entry.offset, entry.size, fSize))
		return Fail("the data of " + what + " (offset " + std::to_string(entry.offset) + ", size "
			+ std::to_string(entry.size) + ") run past the container");
	if (fResources.size() >= fResourceCount)
		return Fail("the info table names more resources than the header's "
			+ std::to_string(fResourceCount));
	resource.offset = entry.offset;
	status_t status = CheckData(resource);
	if (status != B_OK)
		return status;
	resource.data.assign(fBytes + entry.offset, fBytes + entry.offset + entry.size);
	fResources.push_back(std::move(resource));
	return B_OK;
}

status_t ResourceContainer::CheckData(const Resource& resource)
{
	const Entry& entry = fEntries[resource.entry - 1];
	std::string what =
		"the data of resource " + TypeCodeText(resource.type) + " " + std::to_string(resource.id);
	if (Overlap(entry.offset, entry.size, 0, (uint64)fIndexOffset + fIndexSize))
		return Fail(what + " overlap the header or the index section");
	if (Overlap(entry.offset, entry.size, fInfoOffset, fInfoSize))
		return Fail(what + " overlap the info table");
	for (const Resource& other : fResources) {
		if (other.type == resource.type && other.id == resource.id)
			return Fail("resource " + TypeCodeText(resource.type) + " "
				+ std::to_string(resource.id) + " occurs twice");
		if (other.entry == resource.entry)
			return Fail("two resources name entry " + std::to_string(resource.entry));
		const Entry& otherEntry = fEntries[other.entry - 1];
		if (Overlap(entry.offset, entry.size, otherEntry.offset, otherEntry.size))
			return Fail(what + " overlap those of " + TypeCodeText(other.type) + " "
				+ std::to_string(other.id));
	}
	return B_OK;
}

status_t ResourceContainer::CheckTotals()
{
	if (fResources.size() != fResourceCount)
		return Fail("the header counts " + std::to_string(fResourceCount)
			+ " resources, the info table names " + std::to_string(fResources.size()));
	return B_OK;
}

}  // namespace platform
