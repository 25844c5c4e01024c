#ifndef PLATFORM_FILE_BYTES_H
#define PLATFORM_FILE_BYTES_H

#include <SupportDefs.h>

#include <string>
#include <vector>

namespace platform {

// Whole-file reads and writes for the tools.
bool ReadFileBytes(const std::string& path, std::vector<uint8>* bytes, std::string* error);
bool WriteFileBytes(const std::string& path, const std::vector<uint8>& bytes, std::string* error);

}  // namespace platform

#endif
