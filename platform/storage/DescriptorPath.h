#ifndef PLATFORM_DESCRIPTOR_PATH_H
#define PLATFORM_DESCRIPTOR_PATH_H

#include <string>

namespace platform {

// "/proc/self/fd/N": the name of the node open as fd, whatever it is called now.
std::string DescriptorPath(int fd);

// Where the node open as fd is now (the kernel follows renames), taken only when that path
// still leads to the same node; empty otherwise. openedBy, the path it was opened by, is
// taken as it is when the kernel still names it so.
std::string CurrentPath(int fd, const std::string& openedBy = std::string());

}  // namespace platform

#endif
