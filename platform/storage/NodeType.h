#ifndef PLATFORM_NODE_TYPE_H
#define PLATFORM_NODE_TYPE_H

#include <Mime.h>
#include <StorageDefs.h>

#include <sys/types.h>

#include <string>

namespace platform {

// The file type the desktop gives a node that stores none, for the node open as fd by path,
// of the file type (S_IFMT bits) it had when opened, which no open descriptor sees change:
// folders and symbolic links the platform's own types, other special files the desktop's
// inode types, and a file the shared MIME database's type for its name and, where the name
// leaves it uncertain, its first bytes. type holds B_MIME_TYPE_LENGTH bytes; the call always
// writes a type (application/octet-stream when nothing better is known).
void GetDesktopNodeType(int fd, mode_t mode, const std::string& path, char* type);

}  // namespace platform

#endif
