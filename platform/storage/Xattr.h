#ifndef PLATFORM_XATTR_H
#define PLATFORM_XATTR_H

#include <SupportDefs.h>

#include <string>
#include <vector>

namespace platform {

// Extended attribute calls on an open node. A descriptor open for reading takes the f*xattr
// calls itself. An O_PATH one takes none, so the calls go through its /proc name (see
// DescriptorPath), which names the node itself (a symbolic link stays the link). Without
// /proc they use the path the node was opened by, never following a link.
class Xattr {
public:
	Xattr(int fd, bool readable, const std::string& path);

	// The whole value of name (its full Linux name); sizeHint is the likely size, so that
	// most reads take one call. A status code on failure.
	status_t Read(const char* name, size_t sizeHint, std::vector<uint8>* value) const;
	status_t Write(const char* name, const std::vector<uint8>& value) const;
	status_t Remove(const char* name) const;

	static const size_t kMaxValueSize = 65536;

private:
	ssize_t Get(const char* name, void* buffer, size_t size) const;

	int fFd;  // -1 when the calls go by fTarget
	std::string fTarget;
	bool fFollow;
};

}  // namespace platform

#endif
