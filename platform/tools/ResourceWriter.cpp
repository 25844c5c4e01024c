#include "tools/ResourceWriter.h"

#include "tools/ResourceFormat.h"

#include <cstring>

namespace platform {

using namespace resource_format;

namespace {

// The info table starts on this boundary; the span in front of it is left unused and is
// recorded in the reserved section.
const uint32 kInfoAlignment = 64;

void PutTriple(uint8* at, uint32 offset, uint32 size, uint32 marker)
{
	PutWord(at, offset);
	PutWord(at + 4, size);
	PutWord(at + 8, marker);
}

void PutFreeTriples(uint8* at, size_t count)
{
	for (size_t i = 0; i < count; i++)
		PutTriple(at + i * kEntrySize, kFreeOffset, kFreeSize, kFreeMarker);
}

}  // namespace

void ResourceWriter::AddResource(
	type_code type, int32 id, const std::string& name, const std::vector<uint8>& data)
{
	fItems.push_back(Item{true, type, id, name, data});
}

void ResourceWriter::AddUnnamedEntry()
{
	fItems.push_back(Item{false, 0, 0, std::string(), std::vector<uint8>()});
}

status_t ResourceWriter::Write(std::vector<uint8>* container, std::string* error) const
{
	if (fItems.size() > kEntryCount) {
		*error = "too many resources: the entry table holds " + std::to_string(kEntryCount);
		return B_BAD_VALUE;
	}
	for (size_t i = 0; i < fItems.size(); i++) {
		for (size_t j = 0; j < i; j++) {
			if (fItems[i].named && fItems[j].named && fItems[i].type == fItems[j].type
				&& fItems[i].id == fItems[j].id) {
				*error = "resource \"" + fItems[i].name + "\" repeats an earlier type and id";
				return B_BAD_VALUE;
			}
		}
		if (fItems[i].name.size() >= 0xFFFF) {
			*error = "resource name too long";
			return B_BAD_VALUE;
		}
	}

	Layout layout = PlaceData();
	std::vector<uint8> info = BuildInfoTable();
	uint64 total = (uint64)layout.infoOffset + info.size();
	if (total > 0xFFFFFFFFu) {
		*error = "the resources take more than 4 GiB";
		return B_BAD_VALUE;
	}

	container->assign(total, 0);
	uint8* out = container->data();
	WriteHeader(out);
	WriteIndexSection(out, layout, info.size());
	WriteReservedSection(out, layout);
	WriteData(out, layout);
	memcpy(out + layout.infoOffset, info.data(), info.size());
	return B_OK;
}

// Data follow one another from the data area's start, without gaps; an unnamed entry sits
// where the next data would begin.
ResourceWriter::Layout ResourceWriter::PlaceData() const
{
	Layout layout;
	uint64 offset = kDataOffset;
	for (const Item& item : fItems) {
		layout.entryOffsets.push_back(offset);
		offset += item.data.size();
	}
	layout.dataEnd = offset;
	layout.infoOffset = (offset + kInfoAlignment - 1) / kInfoAlignment * kInfoAlignment;
	return layout;
}

// The table is built the way it grows when resources are added one by one: a new type's
// block goes in front of the others, and a new record in front of its block's records.
std::vector<uint8> ResourceWriter::BuildInfoTable() const
{
	struct Block {
		type_code type;
		std::vector<size_t> records;  // indices into fItems
	};
	std::vector<Block> blocks;
	for (size_t i = 0; i < fItems.size(); i++) {
		if (!fItems[i].named)
			continue;
		Block* block = NULL;
		for (Block& existing : blocks) {
			if (existing.type == fItems[i].type)
				block = &existing;
		}
		if (block == NULL) {
			blocks.insert(blocks.begin(), Block{fItems[i].type, {}});
			block = &blocks.front();
		}
		block->records.insert(block->records.begin(), i);
	}

	std::vector<uint8> table;
	auto putWord = [&](uint32 value) {
		uint8 bytes[4];
		PutWord(bytes, value);
		table.insert(table.end(), bytes, bytes + 4);
	};
	for (const Block& block : blocks) {
		putWord(block.type);
		for (size_t index : block.records) {
			const Item& item = fItems[index];
			putWord(item.id);
			putWord(index + 1);
			uint8 nameSize[2];
			PutHalf(nameSize, item.name.size() + 1);
			table.insert(table.end(), nameSize, nameSize + 2);
			table.insert(table.end(), item.name.begin(), item.name.end());
			table.push_back(0);
		}
		putWord(kBlockEnd);
		putWord(kBlockEnd);
	}
	putWord(Checksum(table.data(), table.size()));
	putWord(0);
	return table;
}

// The header counts resource records, not entries; the 13 reserved words stay zero.
void ResourceWriter::WriteHeader(uint8* out) const
{
	PutWord(out, kMagic);
	uint32 named = 0;
	for (const Item& item : fItems)
		named += item.named ? 1 : 0;
	PutWord(out + 4, named);
	PutWord(out + 8, kIndexOffset);
	PutWord(out + 12, kIndexOffset + kIndexSize);
}

void ResourceWriter::WriteIndexSection(uint8* out, const Layout& layout, uint32 infoSize) const
{
	uint8* section = out + kIndexOffset;
	PutTriple(section, kIndexOffset, kIndexSize, kFreeMarker);
	PutTriple(section + 12, kReservedOffset, kReservedSize, kFreeMarker);
	// Words 6 to 29 are free triples; together with the marker above they read as the
	// free-triple pattern that starts and ends with 1001.
	PutFreeTriples(section + 24, 8);
	PutTriple(section + kIndexInfoOffsetAt, layout.infoOffset, infoSize, kFreeMarker);

	uint8* entries = section + kIndexHeaderSize;
	for (size_t i = 0; i < kEntryCount; i++) {
		uint8* entry = entries + i * kEntrySize;
		if (i < fItems.size())
			PutTriple(entry, layout.entryOffsets[i], fItems[i].data.size(), kUsedMarker);
		else
			PutFreeTriples(entry, 1);
	}
}

void ResourceWriter::WriteReservedSection(uint8* out, const Layout& layout) const
{
	uint8* section = out + kReservedOffset;
	PutFreeTriples(section, kReservedSize / kEntrySize);
	PutTriple(
		section + kEntrySize, layout.dataEnd, layout.infoOffset - layout.dataEnd, kFreeMarker);
}

void ResourceWriter::WriteData(uint8* out, const Layout& layout) const
{
	for (size_t i = 0; i < fItems.size(); i++) {
		if (!fItems[i].data.empty())
			memcpy(out + layout.entryOffsets[i], fItems[i].data.data(), fItems[i].data.size());
	}
}

}  // namespace platform
