#include "GtkDisplayThread.h"

#include <gtk/gtk.h>

namespace platform {

GtkDisplayThread::GtkDisplayThread()
	:
	fLoop(NULL),
	fDrainSource(NULL),
	fAccepting(false),
	fStartDone(false),
	fStartResult(false)
{
}

GtkDisplayThread::~GtkDisplayThread()
{
	Stop([] {});
}

bool GtkDisplayThread::Start(std::function<void()> prepare, std::function<void()> setup,
	const std::function<void()>& meanwhile)
{
	fThread = std::thread(&GtkDisplayThread::Main, this, std::move(prepare), std::move(setup));
	meanwhile();
	std::unique_lock<std::mutex> lock(fLock);
	fStarted.wait(lock, [this] { return fStartDone; });
	bool started = fStartResult;
	lock.unlock();
	if (!started) {
		fThread.join();
		fThreadId = std::thread::id();
	}
	return started;
}

void GtkDisplayThread::Main(std::function<void()> prepare, std::function<void()> setup)
{
	fThreadId = std::this_thread::get_id();
	prepare();
	bool opened = gtk_init_check(NULL, NULL);
	if (opened) {
		fLoop = g_main_loop_new(NULL, FALSE);
		setup();
	}
	{
		std::lock_guard<std::mutex> lock(fLock);
		fAccepting = opened;
		fStartResult = opened;
		fStartDone = true;
	}
	fStarted.notify_all();
	if (!opened)
		return;

	g_main_loop_run(fLoop);
	RunQueuedCalls();
	if (fDrainSource != NULL) {
		g_source_destroy(fDrainSource);
		g_source_unref(fDrainSource);
		fDrainSource = NULL;
	}
	g_main_loop_unref(fLoop);
	fLoop = NULL;
}

void GtkDisplayThread::Stop(std::function<void()> teardown)
{
	if (!fThread.joinable())
		return;
	if (IsDisplayThread())
		return;  // cannot join itself; the owner stops it from another thread
	Post([this, teardown = std::move(teardown)] {
		teardown();
		{
			std::lock_guard<std::mutex> lock(fLock);
			fAccepting = false;
		}
		g_main_loop_quit(fLoop);
	});
	fThread.join();
	fThreadId = std::thread::id();
}

bool GtkDisplayThread::Post(std::function<void()> call)
{
	std::lock_guard<std::mutex> lock(fLock);
	if (!fAccepting)
		return false;
	fQueue.push_back(std::move(call));
	if (fDrainSource == NULL) {
		// Attaching wakes the display thread's context from any thread.
		fDrainSource = g_idle_source_new();
		g_source_set_priority(fDrainSource, G_PRIORITY_DEFAULT);
		g_source_set_callback(fDrainSource, &GtkDisplayThread::DrainQueue, this, NULL);
		g_source_attach(fDrainSource, NULL);
	}
	return true;
}

bool GtkDisplayThread::Call(const std::function<void()>& call)
{
	if (IsDisplayThread()) {
		call();
		return true;
	}
	std::mutex doneLock;
	std::condition_variable doneSignal;
	bool done = false;
	bool queued = Post([&] {
		call();
		std::lock_guard<std::mutex> lock(doneLock);
		done = true;
		doneSignal.notify_all();
	});
	if (!queued)
		return false;
	std::unique_lock<std::mutex> lock(doneLock);
	doneSignal.wait(lock, [&] { return done; });
	return true;
}

bool GtkDisplayThread::IsDisplayThread() const
{
	return std::this_thread::get_id() == fThreadId;
}

int GtkDisplayThread::DrainQueue(void* self)
{
	// Returning G_SOURCE_REMOVE detaches the source; RunQueuedCalls drops our reference.
	static_cast<GtkDisplayThread*>(self)->RunQueuedCalls();
	return G_SOURCE_REMOVE;
}

void GtkDisplayThread::RunQueuedCalls()
{
	std::deque<std::function<void()>> calls;
	{
		std::lock_guard<std::mutex> lock(fLock);
		calls.swap(fQueue);
		if (fDrainSource != NULL) {
			g_source_unref(fDrainSource);
			fDrainSource = NULL;
		}
	}
	for (std::function<void()>& call : calls)
		call();
}

}  // namespace platform
