#ifndef PLATFORM_XATTR_H
#define PLATFORM_XATTR_H

#include <SupportDefs.h>

#include <string>
#include <vector>

namespace platform {

// Extended attribute calls on an open O_PATH descriptor. Such a descriptor takes no
// f*xattr call, so the calls go through /proc/self/fd/N, which names the node itself (a
// symbolic link stays the link). Without /proc they use the path the node was opened by,
// never following a link.
class Xattr {
public:
	Xattr(int fd, const std::string& path);

	// The whole value of name (its full Linux name); sizeHint is the likely size, so that
	// most reads take one call. A status code on failure.
	status_t Read(const std::string& name, size_t sizeHint, std::vector<uint8>* value) const;
	status_t Write(const std::string& name, const std::vector<uint8>& value) const;
	status_t Remove(const std::string& name) const;

	static const size_t kMaxValueSize = 65536;

private:
	ssize_t Get(const std::string& name, void* buffer, size_t size) const;

	std::string fTarget;
	bool fFollow;
};

}  // namespace platform

#endif
