#ifndef _PATH_H
#define _PATH_H

#include <StorageDefs.h>

#include <string>

struct entry_ref;

// The absolute path of an entry.
class BPath {
public:
	BPath();
	BPath(const entry_ref* ref);
	virtual ~BPath();

	status_t InitCheck() const;
	status_t SetTo(const entry_ref* ref);
	void Unset();

	const char* Path() const;  // NULL when not initialised

private:
	std::string fPath;
	status_t fStatus;
};

#endif
