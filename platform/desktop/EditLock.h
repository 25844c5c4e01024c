#ifndef PLATFORM_EDIT_LOCK_H
#define PLATFORM_EDIT_LOCK_H

#include <SupportDefs.h>

#include <sys/types.h>

#include <string>

namespace platform {

// The lock that KDE programs take before they save a settings file such as .directory: a
// file NAME.lock, made exclusively, holding the owner's process id, program and host name.
// Holding it while editing keeps their save and ours from crossing. A lock whose process
// has died on this host, or that is older than any save takes, is stale and taken over.
class EditLock {
public:
	EditLock(int folderFd, const std::string& name);
	~EditLock();
	EditLock(const EditLock&) = delete;
	EditLock& operator=(const EditLock&) = delete;

	// B_OK once held; B_BUSY when another live owner keeps it past the wait.
	status_t Acquire();

private:
	bool TryMake();
	bool IsStale() const;

	int fFolder;
	std::string fLockName;
	ino_t fNode;
	bool fHeld;
};

}  // namespace platform

#endif
