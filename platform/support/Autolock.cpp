#include <Autolock.h>

#include <Looper.h>

BAutolock::BAutolock(BLocker* locker) :
	fLocker(locker),
	fLooper(NULL),
	fLocked(locker != NULL && locker->Lock())
{
}

BAutolock::BAutolock(BLocker& locker) :
	fLocker(&locker),
	fLooper(NULL),
	fLocked(locker.Lock())
{
}

BAutolock::BAutolock(BLooper* looper) :
	fLocker(NULL),
	fLooper(looper),
	fLocked(looper != NULL && looper->Lock())
{
}

BAutolock::~BAutolock()
{
	if (!fLocked)
		return;
	if (fLooper != NULL)
		fLooper->Unlock();
	else
		fLocker->Unlock();
}
