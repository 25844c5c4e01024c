#ifndef _LOCKER_H
#define _LOCKER_H

#include <SupportDefs.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

// A recursive lock that knows its holder, like the kit's.
class BLocker {
public:
	BLocker();
	explicit BLocker(const char* name);
	virtual ~BLocker();

	bool Lock();
	status_t LockWithTimeout(bigtime_t timeout);
	void Unlock();
	bool IsLocked() const;  // by the calling thread
	int32 CountLocks() const;

private:
	BLocker(const BLocker&) = delete;
	BLocker& operator=(const BLocker&) = delete;

	// Holder and count under a plain mutex, waiters on a condition: timed waits then go
	// through calls that ThreadSanitizer follows, which a timed mutex's are not.
	std::mutex fMutex;
	std::condition_variable fReleased;
	std::atomic<thread_id> fOwner;
	int32 fCount;
};

#endif
