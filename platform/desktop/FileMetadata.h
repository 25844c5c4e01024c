#ifndef PLATFORM_FILE_METADATA_H
#define PLATFORM_FILE_METADATA_H

#include <SupportDefs.h>

#include <string>
#include <utility>
#include <vector>

namespace platform {

// GIO's metadata store for one node (GVfs's metadata daemon, reached over the session bus),
// where GNOME Files, Nemo, Caja and Thunar keep a folder's custom icon. Keys are names in
// the "metadata" namespace; a symbolic link is never followed.
class FileMetadata {
public:
	explicit FileMetadata(const std::string& path);
	~FileMetadata();

	// Whether the store can be written at all: a session bus is there and GIO offers the
	// namespace. Without a bus the store is not tried (GIO would start one of its own).
	static bool IsAvailable();

	status_t Get(const char* key, std::string* value) const;
	status_t Unset(const char* key) const;

	// Several keys in one request to the store (each request is a round trip to its daemon):
	// for each key B_OK and its value, or B_ENTRY_NOT_FOUND when it is not set; B_ERROR for
	// every one when the store cannot be read.
	typedef std::pair<status_t, std::string> Value;
	std::vector<Value> GetEach(const std::vector<const char*>& keys) const;
	status_t SetEach(const std::vector<std::pair<const char*, std::string>>& values) const;

private:
	FileMetadata(const FileMetadata&) = delete;
	FileMetadata& operator=(const FileMetadata&) = delete;

	void* fFile;  // GFile
};

}  // namespace platform

#endif
