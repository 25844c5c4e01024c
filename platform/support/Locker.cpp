#include <Locker.h>

#include <OS.h>

#include <chrono>

BLocker::BLocker()
	:
	fOwner(-1),
	fCount(0)
{
}

BLocker::BLocker(const char*)
	:
	BLocker()
{
}

BLocker::~BLocker()
{
}

bool BLocker::Lock()
{
	fMutex.lock();
	fOwner.store(find_thread(NULL));
	fCount++;
	return true;
}

// A zero timeout only tries, as acquiring a semaphore without waiting would (B_WOULD_BLOCK);
// any other bounded wait that runs out gives B_TIMED_OUT.
status_t BLocker::LockWithTimeout(bigtime_t timeout)
{
	if (timeout == B_INFINITE_TIMEOUT)
		return Lock() ? B_OK : B_ERROR;

	bool locked = timeout <= 0
		? fMutex.try_lock()
		: fMutex.try_lock_for(std::chrono::microseconds(timeout));
	if (!locked)
		return timeout <= 0 ? B_WOULD_BLOCK : B_TIMED_OUT;
	fOwner.store(find_thread(NULL));
	fCount++;
	return B_OK;
}

// Only the holder may let go; anyone else's call is ignored rather than corrupting the lock.
void BLocker::Unlock()
{
	if (!IsLocked())
		return;
	if (--fCount == 0)
		fOwner.store(-1);
	fMutex.unlock();
}

bool BLocker::IsLocked() const
{
	return fOwner.load() == find_thread(NULL);
}

thread_id BLocker::LockingThread() const
{
	return fOwner.load();
}

// Meaningful to the holder; another thread may see a count that is changing.
int32 BLocker::CountLocks() const
{
	return IsLocked() ? fCount : 0;
}
