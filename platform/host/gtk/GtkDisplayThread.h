#ifndef PLATFORM_GTK_DISPLAY_THREAD_H
#define PLATFORM_GTK_DISPLAY_THREAD_H

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "host/gtk/MainContextCalls.h"

typedef struct _GMainLoop GMainLoop;

namespace platform {

// The one thread that talks to GTK. It initialises GTK, runs the main loop, and runs calls
// that other threads queue for it, in the order they were queued.
class GtkDisplayThread {
public:
	GtkDisplayThread();
	~GtkDisplayThread();

	// Starts the thread; on it, runs check, initialises GTK and then runs setup, while the
	// calling thread runs meanwhile. Returns false (and ends the thread) when check refuses the
	// display (GTK would wait on it without bound) or GTK cannot open it.
	bool Start(std::function<bool()> check, std::function<void()> setup,
		const std::function<void()>& meanwhile);
	// Runs teardown on the thread, ends the loop and joins the thread. Calls queued before it
	// still run (after teardown), so that every waiting caller returns.
	void Stop(std::function<void()> teardown);

	// Queues a call and returns at once; false when the thread is not running.
	bool Post(std::function<void()> call);
	// Runs a call on the thread and waits for it; false when the thread is not running.
	bool Call(const std::function<void()>& call);

	bool IsDisplayThread() const;

private:
	void Main(std::function<bool()> check, std::function<void()> setup);

	std::thread fThread;
	std::thread::id fThreadId;
	GMainLoop* fLoop;

	std::mutex fLock;
	std::condition_variable fStarted;
	MainContextCalls fCalls;
	bool fStartDone;
	bool fStartResult;
};

}  // namespace platform

#endif
