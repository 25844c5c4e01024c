#ifndef PLATFORM_FOLDER_FILES_H
#define PLATFORM_FOLDER_FILES_H

#include <SupportDefs.h>

#include <string>
#include <vector>

namespace platform {

// Small files directly inside one folder, named relative to the folder's descriptor: a
// symbolic link is never followed, a name is one path component, and only a regular file
// with a single link is read or changed, so nothing outside the folder is ever touched.
class FolderFiles {
public:
	explicit FolderFiles(int folderFd);

	// The whole file, at most maxSize bytes: B_ENTRY_NOT_FOUND when there is none,
	// B_NOT_ALLOWED for a link or any other kind of node, B_BAD_DATA when it is larger.
	status_t Read(const char* name, size_t maxSize, std::string* content) const;
	bool Exists(const char* name) const;

	// Replaces (or makes) the file with content at once, through a fresh file written to
	// the disk and then renamed over it: a reader sees the old file or the new one, whole.
	status_t Replace(const char* name, const std::string& content) const;

	// Rewrites an existing regular file where it is (its owner, mode and links stay), or
	// makes it when exclusive is true and there is none.
	status_t Rewrite(const char* name, const std::string& content, bool exclusive) const;

	status_t Remove(const char* name) const;

	// The names in the folder that match, at most maxNames of them.
	std::vector<std::string> Names(bool (*matches)(const std::string& name),
		size_t maxNames) const;

private:
	static bool IsPlainName(const char* name);
	static status_t WriteAll(int fd, const std::string& content);

	int fFolder;
};

}  // namespace platform

#endif
