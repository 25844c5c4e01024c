#ifndef _LOOPER_H
#define _LOOPER_H

#include <Handler.h>
#include <Locker.h>
#include <OS.h>

#include <functional>
#include <memory>
#include <vector>

class BMessage;

namespace platform {
class LooperQueue;
}

#define B_LOOPER_PORT_DEFAULT_CAPACITY 200

// A thread with a message queue and a recursive lock. Run() starts the thread; every message
// is handled on it with the looper locked.
class BLooper : public BHandler {
public:
	explicit BLooper(const char* name = NULL, int32 priority = 10,
		int32 portCapacity = B_LOOPER_PORT_DEFAULT_CAPACITY);
	virtual ~BLooper();

	// Queues the message (a copy) for the handler (NULL: the looper itself) and returns at
	// once.
	status_t PostMessage(uint32 command);
	status_t PostMessage(BMessage* message);
	status_t PostMessage(uint32 command, BHandler* handler, BHandler* replyTo = NULL);
	status_t PostMessage(BMessage* message, BHandler* handler, BHandler* replyTo = NULL);

	virtual void DispatchMessage(BMessage* message, BHandler* handler);
	virtual void MessageReceived(BMessage* message);

	void AddHandler(BHandler* handler);
	bool RemoveHandler(BHandler* handler);

	virtual thread_id Run();
	// From the looper's thread: ends the loop and deletes the looper. From another thread,
	// with the looper locked: the same, and waits until the thread has ended.
	virtual void Quit();
	virtual bool QuitRequested();

	bool Lock();
	void Unlock();
	bool IsLocked() const;
	thread_id Thread() const;

	static BLooper* LooperForThread(thread_id thread);

protected:
	// For BApplication: runs the loop on the calling thread until Quit().
	void RunLoopOnCallingThread();
	// Takes the first queued message that match accepts, leaving the others queued in their
	// order, waiting at most timeout microseconds for one (0: only looks); NULL when none.
	// The caller owns the message. (A window's GetMouse takes pointer messages this way.)
	BMessage* TakeQueuedMessage(
		const std::function<bool(const BMessage&)>& match, bigtime_t timeout = 0);
	// A message with this code posted right behind another with the same code and target
	// replaces it, so that of a burst (pointer or drag motion) only the latest waits.
	void CoalesceQueued(uint32 what);

private:
	friend class platform::LooperQueue;
	friend class BApplication;
	BLooper(const BLooper&) = delete;
	BLooper& operator=(const BLooper&) = delete;

	// Returns whether it ended holding the lock (after a quit).
	bool Loop();
	thread_id StartThread();
	void ThreadStarted(thread_id thread);
	void QuitFromOtherThread();
	// Unlocks, waits out every other holder of the lock, then deletes the looper.
	void DeleteSafely();
	void ReleaseOwnLocks();
	BHandler* ResolveTarget(BHandler* handler);

	BLocker fLocker;
	// Shared with the thread registry, which may still order a quit through it.
	std::shared_ptr<platform::LooperQueue> fQueue;
	std::vector<BHandler*> fHandlers;
	thread_id fThread;
	bool fRunCalled;
	bool fQuitting;
	bool fOwnThread;
};

#endif
