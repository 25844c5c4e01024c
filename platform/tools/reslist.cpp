// vellumark-reslist: prints the resources that an executable carries.

#include "tools/ExecutableImage.h"
#include "tools/FileBytes.h"
#include "tools/ResourceContainer.h"
#include "tools/ResourcePrinter.h"

#include <cstdio>

using namespace platform;

int main(int argc, char** argv)
{
	if (argc != 2) {
		fprintf(stderr, "usage: vellumark-reslist EXECUTABLE\n");
		return 2;
	}
	std::string path = argv[1];
	std::vector<uint8> bytes;
	std::string error;
	if (!ReadFileBytes(path, &bytes, &error)) {
		fprintf(stderr, "vellumark-reslist: %s\n", error.c_str());
		return 1;
	}
	size_t offset;
	if (ExecutableImage::FindContainer(bytes.data(), bytes.size(), &offset, &error) != B_OK) {
		fprintf(stderr, "vellumark-reslist: %s: %s\n", path.c_str(), error.c_str());
		return 1;
	}
	ResourceContainer container;
	if (container.SetTo(bytes.data() + offset, bytes.size() - offset) != B_OK) {
		fprintf(stderr, "vellumark-reslist: %s: malformed resource container: %s\n", path.c_str(),
			container.Error().c_str());
		return 1;
	}
	printf("%s: %zu resources in the container at offset %zu, info table checksum 0x%08X "
		   "verified\n",
		path.c_str(), container.Resources().size(), offset, container.InfoChecksum());
	for (const Resource& resource : container.Resources())
		printf("\n%s", ResourcePrinter::Describe(resource).c_str());
	return 0;
}
