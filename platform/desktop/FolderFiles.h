#ifndef PLATFORM_FOLDER_FILES_H
#define PLATFORM_FOLDER_FILES_H

#include <SupportDefs.h>

#include <sys/stat.h>

#include <functional>
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
	// The same for a file that others may see under other names too (a hard link): for
	// reading what it says, never for changing it.
	status_t Peek(const char* name, size_t maxSize, std::string* content) const;

	// A file of ours that is done with is made read-only, as a content-addressed object is:
	// whether the file is there and sealed, and sealing it.
	bool IsSealed(const char* name) const;
	status_t Seal(const char* name) const;

	// Replaces (or makes) the file with content at once, through a fresh file written in
	// the folder, flushed to disk and renamed over it: a reader, or a crash, leaves the old
	// file or the new one. Only the file looked at first is replaced: B_BUSY when another
	// program made or replaced it meanwhile, and theirs stays.
	status_t Replace(const char* name, const std::string& content) const;

	enum EditAction {
		kKeep,
		kWrite,
		kRemove
	};
	// Decides from the file's text (empty when there is none) what becomes of it; a kWrite
	// puts edited in its place.
	typedef std::function<EditAction(const std::string& text, bool exists, std::string* edited)>
		Editor;

	// Edits a file that other programs may edit too: the new text replaces the file (its
	// owner, group and permissions kept, set-id and sticky bits dropped; B_NOT_ALLOWED for a
	// file whose owner could not be kept, which stays as it is) and a removal takes it away only while it is still the file that
	// editor saw: same node, size, modification time and bytes. When another program
	// changed it meanwhile, its text is read again and edited anew, a few times at most
	// (B_BUSY after that), so that their change is never undone. KDE's lock on the file is
	// held throughout, so that their saves wait for ours and ours for theirs.
	status_t Edit(const char* name, size_t maxSize, const Editor& editor) const;

	status_t Remove(const char* name) const;

	// Takes away the temporary files that a process of ours left behind when it died
	// before renaming them into place.
	void RemoveStaleTemporaries() const;

	// Whether a file of ours that should be gone by now (a temporary, a lock) could not be
	// removed through this object: a later change in the folder takes it away.
	bool LeftBehind() const { return fLeftBehind; }

	// The names in the folder that match, at most maxNames of them, among its first 65,536
	// entries.
	std::vector<std::string> Names(bool (*matches)(const std::string& name), size_t maxNames) const;

private:
	struct Snapshot;

	static bool IsPlainName(const char* name);
	static std::string TemporaryName(const char* name);
	static status_t WriteAll(int fd, const std::string& content);
	status_t EditLocked(const char* name, size_t maxSize, const Editor& editor) const;
	status_t ReadSnapshot(
		const char* name, size_t maxSize, Snapshot* snapshot, bool anyLinkCount = false) const;
	bool Unchanged(const char* name, size_t maxSize, const Snapshot& snapshot) const;
	bool SameNodeStill(const char* name, const Snapshot& snapshot) const;
	status_t WriteTemporary(const char* name, const std::string& content, const struct stat* like,
		std::string* temporary, ino_t* written) const;
	static status_t TakeOwnerAndMode(int fd, const struct stat& st, const struct stat& like);
	status_t ReplaceIfUnchanged(const char* name, size_t maxSize, const Snapshot& snapshot,
		const std::string& content) const;
	status_t MakeFrom(const char* temporary, const char* name) const;
	status_t ExchangeFrom(
		const char* temporary, const char* name, const struct stat& read, ino_t written) const;
	status_t RemoveIfUnchanged(const char* name, size_t maxSize, const Snapshot& snapshot) const;
	void SyncFolder() const;

	void Discard(const char* name) const;

	int fFolder;
	mutable bool fLeftBehind;
};

}  // namespace platform

#endif
