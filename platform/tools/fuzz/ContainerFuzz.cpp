// Feeds arbitrary files to the lister's reader: the executable formats, the container and
// the printing of every resource it accepts.

#include "tools/ExecutableImage.h"
#include "tools/ResourceContainer.h"
#include "tools/ResourcePrinter.h"

#include <algorithm>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	// As a whole executable, and as a bare container.
	size_t offset = 0;
	std::string error;
	if (platform::ExecutableImage::FindContainer(data, size, &offset, &error) != B_OK)
		offset = 0;
	const uint8_t* start = data + offset;
	size_t length = size - offset;
	platform::ResourceContainer container;
	if (container.SetTo(start, length) != B_OK && !container.Resources().empty())
		abort();  // a refused container yields nothing
	// Each resource's data are the bytes at its offset, within the container.
	for (const platform::Resource& resource : container.Resources()) {
		if (resource.offset > length || resource.data.size() > length - resource.offset
			|| !std::equal(resource.data.begin(), resource.data.end(), start + resource.offset))
			abort();
		platform::ResourcePrinter::Describe(resource);
	}
	return 0;
}
