#ifndef PLATFORM_RESOURCE_WRITER_H
#define PLATFORM_RESOURCE_WRITER_H

#include <SupportDefs.h>

#include <string>
#include <vector>

namespace platform {

// Writes a resource container. Resources are added in the order in which their data follow
// one another; each takes the next entry of the entry table, as does an unnamed entry.
class ResourceWriter {
public:
	void AddResource(
		type_code type, int32 id, const std::string& name, const std::vector<uint8>& data);
	// A used entry of no size that no record names.
	void AddUnnamedEntry();

	status_t Write(std::vector<uint8>* container, std::string* error) const;

private:
	struct Item {
		bool named;
		type_code type;
		int32 id;
		std::string name;
		std::vector<uint8> data;
	};
	struct Layout {
		std::vector<uint32> entryOffsets;
		uint32 dataEnd;
		uint32 infoOffset;
	};

	Layout PlaceData() const;
	std::vector<uint8> BuildInfoTable() const;
	void WriteHeader(uint8* out) const;
	void WriteIndexSection(uint8* out, const Layout& layout, uint32 infoSize) const;
	void WriteReservedSection(uint8* out, const Layout& layout) const;
	void WriteData(uint8* out, const Layout& layout) const;

	std::vector<Item> fItems;
};

}  // namespace platform

#endif
