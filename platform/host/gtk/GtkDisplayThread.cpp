#include "host/gtk/GtkDisplayThread.h"

#include <gtk/gtk.h>

namespace platform {

GtkDisplayThread::GtkDisplayThread() :
	fLoop(NULL),
	fStartDone(false),
	fStartResult(false)
{
}

GtkDisplayThread::~GtkDisplayThread()
{
	Stop([] {});
}

bool GtkDisplayThread::Start(std::function<bool()> check, std::function<void()> setup,
	const std::function<void()>& meanwhile)
{
	fThread = std::thread(&GtkDisplayThread::Main, this, std::move(check), std::move(setup));
	if (meanwhile)
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

void GtkDisplayThread::Main(std::function<bool()> check, std::function<void()> setup)
{
	fThreadId = std::this_thread::get_id();
	// Here rather than before the thread starts: the check's wait overlaps meanwhile.
	bool opened = check() && gtk_init_check(NULL, NULL);
	if (opened) {
		fLoop = g_main_loop_new(NULL, FALSE);
		setup();
	}
	{
		std::lock_guard<std::mutex> lock(fLock);
		if (opened)
			fCalls.Open();
		fStartResult = opened;
		fStartDone = true;
	}
	fStarted.notify_all();
	if (!opened)
		return;

	g_main_loop_run(fLoop);
	fCalls.Close();
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
		fCalls.StopAccepting();
		g_main_loop_quit(fLoop);
	});
	fThread.join();
	fThreadId = std::thread::id();
}

bool GtkDisplayThread::Post(std::function<void()> call)
{
	return fCalls.Post(std::move(call));
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

}  // namespace platform
