#include <Locker.h>

#include <OS.h>

#include <chrono>

BLocker::BLocker() :
	fOwner(-1),
	fCount(0)
{
}

BLocker::BLocker(const char*) :
	BLocker()
{
}

BLocker::~BLocker()
{
}

bool BLocker::Lock()
{
	return LockWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}

// A zero timeout only tries, as acquiring a semaphore without waiting would (B_WOULD_BLOCK);
// any other bounded wait that runs out gives B_TIMED_OUT.
status_t BLocker::LockWithTimeout(bigtime_t timeout)
{
	thread_id self = find_thread(NULL);
	std::unique_lock<std::mutex> lock(fMutex);
	auto available = [&] { return fCount == 0 || fOwner.load() == self; };
	if (!available()) {
		if (timeout <= 0)
			return B_WOULD_BLOCK;
		// Beyond a year is for ever; it also keeps the deadline from overflowing.
		const bigtime_t kForever = 365LL * 24 * 3600 * 1000000;
		if (timeout >= kForever)
			fReleased.wait(lock, available);
		else if (!fReleased.wait_for(lock, std::chrono::microseconds(timeout), available))
			return B_TIMED_OUT;
	}
	fOwner.store(self);
	fCount++;
	return B_OK;
}

// Only the holder may let go; anyone else's call is ignored rather than corrupting the lock.
// Releasing fMutex is the last touch of the object: the next holder may delete it.
void BLocker::Unlock()
{
	if (!IsLocked())
		return;
	std::lock_guard<std::mutex> lock(fMutex);
	if (--fCount == 0) {
		fOwner.store(-1);
		fReleased.notify_all();
	}
}

bool BLocker::IsLocked() const
{
	return fOwner.load() == find_thread(NULL);
}

// Meaningful to the holder; another thread may see a count that is changing.
int32 BLocker::CountLocks() const
{
	return IsLocked() ? fCount : 0;
}
