#ifndef PLATFORM_EXECUTABLE_IMAGE_H
#define PLATFORM_EXECUTABLE_IMAGE_H

#include <SupportDefs.h>

#include <string>

namespace platform {

// Where an executable file keeps its resource container: behind the last byte that an ELF
// image's headers account for, or at the file offset that a PE file's Resource Table entry
// holds. The container runs from there to the end of the file.
class ExecutableImage {
public:
	// On failure, error says why in one line.
	static status_t FindContainer(
		const uint8* bytes, size_t size, size_t* offset, std::string* error);

	// The end of the ELF image: the furthest byte that its headers, sections or segments
	// cover.
	static status_t ElfImageEnd(const uint8* bytes, size_t size, size_t* end, std::string* error);

private:
	static status_t PeResourceTable(
		const uint8* bytes, size_t size, size_t* offset, std::string* error);
};

}  // namespace platform

#endif
