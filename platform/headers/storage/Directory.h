#ifndef _DIRECTORY_H
#define _DIRECTORY_H

#include <Node.h>

class BDirectory : public BNode {
public:
	BDirectory();
	virtual ~BDirectory();

	// B_OK exactly when the entry opens as a folder (a link to a folder counts).
	status_t SetTo(const entry_ref* ref);
};

#endif
