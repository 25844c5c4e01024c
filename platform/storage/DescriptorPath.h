#ifndef PLATFORM_DESCRIPTOR_PATH_H
#define PLATFORM_DESCRIPTOR_PATH_H

#include <string>

namespace platform {

// "/proc/self/fd/N": the name of the node open as fd, whatever it is called now.
std::string DescriptorPath(int fd);

// Where the node open as fd is now (the kernel follows renames), taken only when that path
// still leads to the same node; empty otherwise.
std::string CurrentPath(int fd);

}  // namespace platform

#endif
