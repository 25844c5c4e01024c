// Feeds arbitrary files to the lister's reader: the executable formats, the container and
// the printing of every resource it accepts.

#include "tools/ExecutableImage.h"
#include "tools/ResourceContainer.h"
#include "tools/ResourcePrinter.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	// As a whole executable, and as a bare container.
	size_t offset = 0;
	std::string error;
	if (platform::ExecutableImage::FindContainer(data, size, &offset, &error) != B_OK)
		offset = 0;
	platform::ResourceContainer container;
	if (container.SetTo(data + offset, size - offset) == B_OK) {
		for (const platform::Resource& resource : container.Resources())
			platform::ResourcePrinter::Describe(resource);
	}
	return 0;
}
