#ifndef PLATFORM_NODE_HANDLE_H
#define PLATFORM_NODE_HANDLE_H

#include <SupportDefs.h>

#include <sys/stat.h>
#include <sys/types.h>

#include <string>
#include <utility>

namespace platform {

// Platform: one open node, as BNode and BEntry hold it: its descriptor, open for reading where the node is a file or folder that
// may be read (its attributes are then reached with no path to resolve), else O_PATH; what it
// was found to be when opened, which holds while the descriptor is open; and the path it was
// opened by, checked at the time. Move-only: the descriptor is closed in the destructor and
// nowhere else.
class NodeHandle {
public:
	NodeHandle() = default;
	NodeHandle(NodeHandle&& other) noexcept;
	NodeHandle& operator=(NodeHandle&& other) noexcept;
	NodeHandle(const NodeHandle&) = delete;
	NodeHandle& operator=(const NodeHandle&) = delete;
	~NodeHandle();

	// The entry name below the folder open as dirFd, never what a link names; path is where
	// that entry is, for the node to keep.
	static status_t OpenBelow(int dirFd, const char* name, std::string path, NodeHandle* handle);
	enum Access {
		kForReading,  // for reading or not at all, and never through a last link
		kReadingIfAllowed,  // for reading where it may be read, else O_PATH
		kPathOnly  // O_PATH
	};
	// The folder at path, only while it is still the node (device, inode): B_ENTRY_NOT_FOUND
	// otherwise, and for any failure to open it for reading alone.
	static status_t OpenFolder(
		std::string path, dev_t device, ino_t inode, Access access, NodeHandle* handle);
	// A second handle on the same node (a new descriptor); unset when none could be had.
	NodeHandle Duplicate() const;
	void Reset();
	// The node is now reached by path (it was found to have moved).
	void SetPath(std::string path) { fPath = std::move(path); }

	bool IsSet() const { return fFd >= 0; }
	int Descriptor() const { return fFd; }
	dev_t Device() const { return fDevice; }
	ino_t Inode() const { return fInode; }
	mode_t FileType() const { return fFileType; }
	bool IsReadable() const { return fReadable; }
	const std::string& Path() const { return fPath; }

private:
	NodeHandle(int fd, const struct stat& st, bool readable, std::string path);

	int fFd = -1;
	dev_t fDevice = -1;
	ino_t fInode = -1;
	mode_t fFileType = 0;  // the S_IFMT bits
	bool fReadable = false;
	std::string fPath;
};

}  // namespace platform

#endif
