#ifndef PLATFORM_RESOURCE_PRINTER_H
#define PLATFORM_RESOURCE_PRINTER_H

#include "tools/ResourceContainer.h"

#include <string>

namespace platform {

// A readable account of a resource: its type code, id, name and size, then its content in
// the form its type gives it (text, flags, version records, a message's fields, icon pixels),
// and raw bytes for a type it does not know.
class ResourcePrinter {
public:
	static std::string Describe(const Resource& resource);

private:
	static std::string DescribeString(const std::vector<uint8>& data);
	static std::string DescribeFlags(const std::vector<uint8>& data);
	static std::string DescribeVersions(const std::vector<uint8>& data);
	static std::string DescribeMessage(const std::vector<uint8>& data);
	static std::string DescribeIcon(const std::vector<uint8>& data, int32 side);
	static std::string DescribeBytes(const std::vector<uint8>& data);
};

}  // namespace platform

#endif
