#ifndef PLATFORM_GTK_MAIN_CONTEXT_CALLS_H
#define PLATFORM_GTK_MAIN_CONTEXT_CALLS_H

#include <deque>
#include <functional>
#include <mutex>

typedef struct _GSource GSource;

namespace platform {

// Calls that any thread queues for the thread that runs GLib's default main context, run
// there in the order they were queued. Queued calls wake the context through one idle
// source, made when the first call is queued and spent when the queue is drained.
class MainContextCalls {
public:
	MainContextCalls();
	~MainContextCalls();

	// Post queues from now on.
	void Open();
	// Queues a call and returns at once; false when not open.
	bool Post(std::function<void()> call);
	// Post refuses from now on.
	void StopAccepting();
	// On the context's thread once its loop has ended: stops accepting, takes the pending
	// wake-up off the context (it would stay there, pointing here, after this is gone) and
	// runs the calls still queued, so that every caller waiting for one returns.
	void Close();

private:
	static int Drain(void* self);
	void RunQueued();

	std::mutex fLock;
	std::deque<std::function<void()>> fQueue;
	GSource* fWakeUp;  // attached while calls wait in the queue
	bool fAccepting;
};

}  // namespace platform

#endif
