#ifndef _NODE_H
#define _NODE_H

#include <NodeHandle.h>
#include <StorageDefs.h>

#include <string>

class BDirectory;
class BEntry;
struct entry_ref;

// A file, folder or link, open for its attributes. Attributes are stored as Linux extended
// attributes: NAME of type T is "user.NAME", whose value is T (4 bytes, most significant
// first) followed by the data.
class BNode {
public:
	BNode();
	BNode(const char* path);
	virtual ~BNode();

	status_t InitCheck() const;
	status_t SetTo(const entry_ref* ref);
	status_t SetTo(const BEntry* entry);
	status_t SetTo(const char* path);
	void Unset();

	// Write replaces the whole attribute (offset must be 0); it returns the bytes written or
	// an error.
	ssize_t WriteAttr(
		const char* name, type_code type, off_t offset, const void* buffer, size_t length);
	// Read copies at most length bytes from offset; an attribute of another type is
	// B_BAD_TYPE unless type is B_ANY_TYPE.
	ssize_t ReadAttr(
		const char* name, type_code type, off_t offset, void* buffer, size_t length) const;
	status_t RemoveAttr(const char* name);

	// Platform: the open descriptor (O_PATH, or read-only for a file or folder that may be
	// read), or -1.
	int Descriptor() const { return fHandle.Descriptor(); }

private:
	friend class BNodeInfo;

	status_t OpenRef(const entry_ref* ref);
	status_t OpenEntry(const BEntry* entry);

	platform::NodeHandle fHandle;
	status_t fStatus;
};

#endif
