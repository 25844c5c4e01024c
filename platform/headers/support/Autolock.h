#ifndef _AUTOLOCK_H
#define _AUTOLOCK_H

#include <Locker.h>

class BLooper;

class BAutolock {
public:
	explicit BAutolock(BLocker* locker);
	explicit BAutolock(BLocker& locker);
	explicit BAutolock(BLooper* looper);
	~BAutolock();
	bool IsLocked() const { return fLocked; }

private:
	BLocker* fLocker;
	BLooper* fLooper;
	bool fLocked;
};

#endif
