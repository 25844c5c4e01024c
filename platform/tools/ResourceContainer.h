#ifndef PLATFORM_RESOURCE_CONTAINER_H
#define PLATFORM_RESOURCE_CONTAINER_H

#include <SupportDefs.h>

#include <string>
#include <vector>

namespace platform {

// One resource as the info table names it.
struct Resource {
	type_code type = 0;
	int32 id = 0;
	std::string name;
	int32 entry = 0;  // counted from 1
	uint32 offset = 0;  // of its data, within the container
	std::vector<uint8> data;
};

// Reads a resource container from bytes that may not be trusted: every offset and size is
// checked against the bytes at hand before it is used, and the first fault found is kept as
// one readable line.
class ResourceContainer {
public:
	ResourceContainer();

	// Reads the container that starts at the first of these bytes and runs to their end.
	status_t SetTo(const uint8* bytes, size_t size);

	const std::string& Error() const { return fError; }
	const std::vector<Resource>& Resources() const { return fResources; }
	const Resource* Find(type_code type, int32 id) const;
	uint32 InfoChecksum() const { return fChecksum; }
	uint32 InfoTableSize() const { return fInfoSize; }

private:
	struct Entry {
		uint32 offset;
		uint32 size;
		uint32 marker;
	};

	status_t ReadHeader();
	status_t ReadIndexSection();
	status_t ReadInfoTable();
	status_t ReadBlock(size_t* pos, size_t end);
	status_t ReadRecord(type_code type, size_t* pos, size_t end);
	status_t CheckData(const Resource& resource);
	status_t CheckTotals();
	status_t Fail(const std::string& message);

	const uint8* fBytes;
	size_t fSize;
	uint32 fResourceCount;
	uint32 fIndexOffset;
	uint32 fIndexSize;
	uint32 fInfoOffset;
	uint32 fInfoSize;
	uint32 fChecksum;
	std::vector<Entry> fEntries;
	std::vector<Resource> fResources;
	std::string fError;
};

// A type code as its four characters, with anything unprintable as an escape.
std::string TypeCodeText(type_code type);

}  // namespace platform

#endif
