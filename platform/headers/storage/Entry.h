#ifndef _ENTRY_H
#define _ENTRY_H

#include <NodeHandle.h>
#include <StorageDefs.h>

#include <string>

class BDirectory;
struct stat;

// A reference to an entry: (device, directory inode, name). This platform also keeps the
// directory's path so the entry can be reopened; every open checks that the path still names
// that device and inode, so a stale or unset reference fails every open.
struct entry_ref {
	entry_ref();
	entry_ref(dev_t device, ino_t directory, const char* name);
	entry_ref(const entry_ref& other);
	entry_ref(entry_ref&& other) noexcept;
	~entry_ref();

	status_t set_name(const char* name);

	bool operator==(const entry_ref& other) const;
	entry_ref& operator=(const entry_ref& other);
	entry_ref& operator=(entry_ref&& other) noexcept;

	dev_t device;
	ino_t directory;
	char* name;

	// Platform: the path of the directory, as seen when the reference was made ("" unset).
	std::string directory_path;
};

status_t get_ref_for_path(const char* path, entry_ref* ref);

// An entry in the file system, named by its directory and name; not followed through a
// symbolic link unless asked.
class BEntry {
public:
	BEntry();
	BEntry(const entry_ref* ref, bool traverse = false);
	virtual ~BEntry();

	status_t InitCheck() const;
	bool Exists() const;

	status_t SetTo(const entry_ref* ref, bool traverse = false);
	void Unset();

	// The entry's folder; parent may be this entry itself.
	status_t GetParent(BEntry* parent) const;

private:
	friend class BNode;

	entry_ref fRef;
	status_t fStatus;
	// Platform: the folder node an entry made by GetParent was found to name (-1 when not
	// known), so that opening the entry later reaches that very folder or fails.
	dev_t fNodeDevice;
	ino_t fNodeInode;
	// Platform: the entry's folder as SetTo checked it, held open (for reading where it may
	// be read) so that later calls need not open it again (they still check that its path
	// leads to it); unset when not held.
	platform::NodeHandle fFolder;
	// Platform: for an entry made by GetParent, the folder it names, held open as the
	// child's folder was. The first node opened from the entry takes it over, and then opens
	// nothing again; a later one goes by the name. Unset when not held.
	mutable platform::NodeHandle fHeldNode;

	status_t Stat(struct stat* st) const;
};

#endif
