#include "tools/ExecutableImage.h"

#include "support/ByteOrder.h"
#include "tools/ResourceFormat.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

const uint32 kSectionNoBits = 8;  // a section that takes no room in the file
const char kElfMagic[] = "\177ELF";

// Reads the ELF file's numbers in its own byte order, refusing anything past its end.
class ElfReader {
public:
	ElfReader(const uint8* bytes, size_t size, bool bigEndian) :
		fBytes(bytes),
		fSize(size),
		fBigEndian(bigEndian)
	{
	}

	bool Get(uint64 at, int width, uint64* value) const
	{
		if (at > fSize || (uint64)width > fSize - at)
			return false;
		*value = fBigEndian ? ReadBig(fBytes + at, width) : ReadLittle(fBytes + at, width);
		return true;
	}

private:
	const uint8* fBytes;
	size_t fSize;
	bool fBigEndian;
};

// Offsets of the fields that differ between the 32- and the 64-bit form.
struct ElfLayout {
	int word;  // width of an address or offset
	uint64 phoff, shoff, phentsize, phnum, shentsize, shnum;
	uint64 pOffset, pFileSize;
	uint64 sType, sOffset, sSize;
};

const ElfLayout kElf32 = {4, 28, 32, 42, 44, 46, 48, 4, 16, 4, 16, 20};
const ElfLayout kElf64 = {8, 32, 40, 54, 56, 58, 60, 8, 32, 4, 24, 32};

bool Fits(uint64 offset, uint64 size, uint64 total)
{
	return offset <= total && size <= total - offset;
}

}  // namespace

status_t ExecutableImage::ElfImageEnd(
	const uint8* bytes, size_t size, size_t* end, std::string* error)
{
	auto fail = [&](const char* message) {
		*error = message;
		return B_BAD_DATA;
	};
	if (size < 52 || memcmp(bytes, kElfMagic, 4) != 0)
		return fail("not an ELF file");
	if ((bytes[4] != 1 && bytes[4] != 2) || (bytes[5] != 1 && bytes[5] != 2))
		return fail("an ELF file of unknown class or byte order");
	const ElfLayout& layout = bytes[4] == 1 ? kElf32 : kElf64;
	ElfReader elf(bytes, size, bytes[5] == 2);

	uint64 phoff, shoff, phentsize, phnum, shentsize, shnum;
	if (!elf.Get(layout.phoff, layout.word, &phoff) || !elf.Get(layout.shoff, layout.word, &shoff)
		|| !elf.Get(layout.phentsize, 2, &phentsize) || !elf.Get(layout.phnum, 2, &phnum)
		|| !elf.Get(layout.shentsize, 2, &shentsize) || !elf.Get(layout.shnum, 2, &shnum))
		return fail("the ELF header is truncated");
	uint64 headerSize = layout.word == 4 ? 52 : 64;
	if (size < headerSize)
		return fail("the ELF header is truncated");
	// Many sections: the count moves into the first section header.
	if (shnum == 0 && shoff != 0 && !elf.Get(shoff + layout.sSize, layout.word, &shnum))
		return fail("the ELF section header table lies outside the file");

	uint64 imageEnd = headerSize;
	if (phnum > 0) {
		if (phentsize < layout.pFileSize + layout.word || !Fits(phoff, phnum * phentsize, size))
			return fail("the ELF program header table lies outside the file");
		imageEnd = std::max(imageEnd, phoff + phnum * phentsize);
	}
	if (shnum > 0) {
		if (shentsize < layout.sSize + layout.word || shnum > size
			|| !Fits(shoff, shnum * shentsize, size))
			return fail("the ELF section header table lies outside the file");
		imageEnd = std::max(imageEnd, shoff + shnum * shentsize);
	}

	for (uint64 i = 0; i < phnum; i++) {
		uint64 offset = 0, fileSize = 0;
		uint64 at = phoff + i * phentsize;
		if (!elf.Get(at + layout.pOffset, layout.word, &offset)
			|| !elf.Get(at + layout.pFileSize, layout.word, &fileSize)
			|| !Fits(offset, fileSize, size))
			return fail("an ELF segment runs past the end of the file");
		imageEnd = std::max(imageEnd, offset + fileSize);
	}
	for (uint64 i = 0; i < shnum; i++) {
		uint64 type = 0, offset = 0, sectionSize = 0;
		uint64 at = shoff + i * shentsize;
		if (!elf.Get(at + layout.sType, 4, &type)
			|| !elf.Get(at + layout.sOffset, layout.word, &offset)
			|| !elf.Get(at + layout.sSize, layout.word, &sectionSize))
			return fail("an ELF section runs past the end of the file");
		if (type == kSectionNoBits || i == 0)
			continue;
		if (!Fits(offset, sectionSize, size))
			return fail("an ELF section runs past the end of the file");
		imageEnd = std::max(imageEnd, offset + sectionSize);
	}
	*end = imageEnd;
	return B_OK;
}

status_t ExecutableImage::PeResourceTable(
	const uint8* bytes, size_t size, size_t* offset, std::string* error)
{
	using resource_format::GetHalf;
	using resource_format::GetWord;
	auto fail = [&](const char* message) {
		*error = message;
		return B_BAD_DATA;
	};
	if (size < 0x40)
		return fail("the PE file is truncated");
	uint32 pe = GetWord(bytes + 0x3C);
	if (!Fits(pe, 24, size) || memcmp(bytes + pe, "PE\0\0", 4) != 0)
		return fail("an MZ file without a PE header");
	uint16 optionalSize = GetHalf(bytes + pe + 20);
	uint64 optional = (uint64)pe + 24;
	if (!Fits(optional, optionalSize, size) || optionalSize < 2)
		return fail("the PE optional header lies outside the file");

	uint16 magic = GetHalf(bytes + optional);
	uint64 countAt, directories;
	if (magic == 0x10B) {
		countAt = 92;
		directories = 96;
	} else if (magic == 0x20B) {
		countAt = 108;
		directories = 112;
	} else {
		return fail("a PE file of unknown optional header kind");
	}
	// The Resource Table is the third entry of the data directory.
	const uint64 resourceEntry = directories + 2 * 8;
	if (optionalSize < resourceEntry + 8 || GetWord(bytes + optional + countAt) < 3)
		return fail("the PE data directory has no Resource Table entry");
	uint32 table = GetWord(bytes + optional + resourceEntry);
	if (table == 0)
		return fail("no resource container: the PE Resource Table entry is empty");
	if (table >= size)
		return fail("the PE Resource Table entry points past the end of the file");
	*offset = table;
	return B_OK;
}

status_t ExecutableImage::FindContainer(
	const uint8* bytes, size_t size, size_t* offset, std::string* error)
{
	if (bytes == NULL || size < 4) {
		*error = "not an executable: the file is too short";
		return B_BAD_DATA;
	}
	size_t start;
	if (memcmp(bytes, kElfMagic, 4) == 0) {
		status_t status = ElfImageEnd(bytes, size, &start, error);
		if (status != B_OK)
			return status;
		if (start == size) {
			*error = "no resource container: nothing follows the ELF image";
			return B_ENTRY_NOT_FOUND;
		}
	} else if (bytes[0] == 'M' && bytes[1] == 'Z') {
		status_t status = PeResourceTable(bytes, size, &start, error);
		if (status != B_OK)
			return status;
	} else {
		*error = "not an executable: neither ELF nor PE";
		return B_BAD_DATA;
	}
	if (start > size || size - start < 4
		|| resource_format::GetWord(bytes + start) != resource_format::kMagic) {
		*error = "no resource container at offset " + std::to_string(start)
			+ " (no container magic there)";
		return B_ENTRY_NOT_FOUND;
	}
	*offset = start;
	return B_OK;
}

}  // namespace platform
