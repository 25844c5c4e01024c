#ifndef _PATH_H
#define _PATH_H

#include <StorageDefs.h>

#include <string>

class BDirectory;
class BEntry;
struct entry_ref;

// An absolute path, normalised.
class BPath {
public:
	BPath();
	BPath(const char* dir, const char* leaf = NULL, bool normalize = false);
	BPath(const entry_ref* ref);
	BPath(const BEntry* entry);
	BPath(const BPath& other);
	virtual ~BPath();

	status_t InitCheck() const;
	status_t SetTo(const char* path, const char* leaf = NULL, bool normalize = false);
	status_t SetTo(const entry_ref* ref);
	status_t SetTo(const BEntry* entry);
	void Unset();
	status_t Append(const char* path, bool normalize = false);
	status_t GetParent(BPath* path) const;

	const char* Path() const;  // NULL when not initialised
	const char* Leaf() const;

	BPath& operator=(const BPath& other);
	bool operator==(const BPath& other) const;
	bool operator==(const char* path) const;

private:
	std::string fPath;
	status_t fStatus;
};

#endif
