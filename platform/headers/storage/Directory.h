#ifndef _DIRECTORY_H
#define _DIRECTORY_H

#include <Node.h>

class BEntry;

class BDirectory : public BNode {
public:
	BDirectory();
	BDirectory(const entry_ref* ref);
	BDirectory(const BEntry* entry);
	BDirectory(const char* path);
	virtual ~BDirectory();

	// B_OK exactly when the entry opens as a folder (a link to a folder counts).
	status_t SetTo(const entry_ref* ref);
	status_t SetTo(const BEntry* entry);
	status_t SetTo(const char* path);

	bool Contains(const char* path, int32 nodeFlags = 0) const;

private:
	std::string fPath;
	friend class BEntry;
};

#endif
