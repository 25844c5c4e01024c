#ifndef PLATFORM_APP_LOOPER_THREADS_H
#define PLATFORM_APP_LOOPER_THREADS_H

#include <SupportDefs.h>

#include <functional>
#include <memory>

namespace platform {

class LooperQueue;

// The threads of the process's loopers, each kept here from its start until it is joined.
//
// A looper that quits on its own thread deletes itself there, so it cannot join its own
// thread; the handle stays here instead, marked ended once the thread has done its last
// work. Threads that ended are joined by whoever comes next: Quit() from another thread joins
// the one it waits for, Start() joins every ended one, and BApplication's destructor calls
// QuitAndJoinAll(), so no looper thread outlives the application. A process without an
// application joins the ended ones when it exits.
class LooperThreads {
public:
	// Starts a thread that calls started(its id) and then body(); returns the id once
	// started() has run. queue is the looper's, for QuitAndJoinAll.
	static thread_id Start(const std::function<void(thread_id)>& started,
		std::function<void()> body, std::shared_ptr<LooperQueue> queue);
	// Waits until the thread has ended and joins it; returns at once for a thread that is
	// not (or no longer) here.
	static void Join(thread_id thread);
	// Joins every thread that has ended.
	static void JoinEnded();
	// Orders every looper thread still running to quit, and joins them all.
	static void QuitAndJoinAll();
};

}  // namespace platform

#endif
