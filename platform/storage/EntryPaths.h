#ifndef PLATFORM_ENTRY_PATHS_H
#define PLATFORM_ENTRY_PATHS_H

#include <Entry.h>
#include <NodeHandle.h>

#include <sys/stat.h>

#include <string>

namespace platform {

// The path of the entry a reference names: its directory's path and its name.
std::string PathOfRef(const entry_ref& ref);

// Whether a reference has the parts an open needs: an absolute directory path and a plain
// name that fits B_FILE_NAME_LENGTH.
bool IsUsableRef(const entry_ref& ref);

// Opens the reference's directory (O_PATH) and checks that its path still names the
// reference's device and inode; a stale or unusable reference is B_ENTRY_NOT_FOUND. Asked
// for a readable one, it opens the directory for reading where it may be read (the handle
// tells which it got).
status_t OpenRefDirectory(const entry_ref& ref, NodeHandle* folder, bool readable = false);

// lstat of the entry itself, through its verified directory.
status_t StatRef(const entry_ref& ref, struct stat* st);

// Splits an absolute path without trailing slashes into its folder and leaf.
void SplitPath(const std::string& path, std::string* folder, std::string* leaf);

// "/proc/self/fd/N": the name of the node open as fd, whatever it is called now.
std::string DescriptorPath(int fd);

// Where the node open as fd is now (the kernel follows renames), taken only when that path
// still leads to the same node; empty otherwise.
std::string CurrentPath(int fd);

// Whether the path leads to the node (device, inode); a last link is followed only when
// asked.
bool LeadsTo(const std::string& path, dev_t device, ino_t inode, bool follow);

}  // namespace platform

#endif
