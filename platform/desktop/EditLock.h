#ifndef PLATFORM_EDIT_LOCK_H
#define PLATFORM_EDIT_LOCK_H

#include <SupportDefs.h>

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

namespace platform {

// The lock that KDE programs take before they save a settings file such as .directory: a
// file NAME.lock, made exclusively, holding the owner's process id, program, host name,
// machine and boot ids. Ours is written whole under a temporary name and linked into place,
// so it never exists without its content, and it names our PID namespace too.
//
// A lock is stale, and taken over, when it is older than any save takes, when it has stood
// empty or unreadable longer than writing it takes, when its machine has booted since, or
// when its holder is known to be gone: a process of our own PID namespace that no longer
// exists. A holder whose namespace is not known to be ours goes by age alone, since its
// number may belong to a live process elsewhere.
class EditLock {
public:
	// temporary names the file the lock is written to before it is linked into place.
	EditLock(int folderFd, const std::string& name, const std::string& temporary);
	~EditLock();
	EditLock(const EditLock&) = delete;
	EditLock& operator=(const EditLock&) = delete;

	// B_OK once held. One deadline bounds the whole wait, the removal of stale locks
	// included: B_BUSY when a live owner keeps it past that; a stale lock that cannot be
	// removed, or a lock that cannot be made, ends the wait at once with its error.
	status_t Acquire();
	// Gives the lock up; false when it, or the file it was written to, could not be removed.
	bool Release();
	// Whether Acquire left its temporary file behind.
	bool LeftBehind() const { return fLeftBehind; }

private:
	status_t WriteTemporary(struct stat* written) const;
	status_t Link() const;
	status_t RemoveIfStale(bool* removed) const;

	int fFolder;
	std::string fLockName;
	std::string fTemporary;
	dev_t fDevice;
	ino_t fNode;
	bool fHeld;
	bool fLeftBehind;
};

}  // namespace platform

#endif
