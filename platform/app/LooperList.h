#ifndef PLATFORM_APP_LOOPER_LIST_H
#define PLATFORM_APP_LOOPER_LIST_H

#include <SupportDefs.h>

class BLooper;

namespace platform {

// Every looper of the process, and whether it may still be locked. A looper that ends is
// first marked dead (from then on locking it fails), then forgotten once no thread is in the
// middle of locking it; only then is it deleted. This is what lets one thread lock a looper
// that may be quitting on its own thread (the application asking its windows) without
// touching freed memory: a pointer to a looper that is gone is simply not found.
class LooperList {
public:
	static void Add(BLooper* looper);
	static void SetThread(BLooper* looper, thread_id thread);
	static BLooper* ForThread(thread_id thread);

	// Pin before blocking on a looper's lock, Unpin after; Pin fails when it is dead.
	static bool Pin(BLooper* looper);
	static void Unpin(BLooper* looper);
	static bool IsAlive(BLooper* looper);

	// Whether the looper is known, dead or alive.
	static bool IsListed(BLooper* looper);
	// Returns how many threads are in the middle of locking it.
	static int32 MarkDead(BLooper* looper);
	// Once it is marked dead: waits until no thread holds a pin on it, then forgets it.
	static void Forget(BLooper* looper);
};

}  // namespace platform

#endif
