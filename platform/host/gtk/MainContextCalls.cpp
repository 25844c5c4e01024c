#include "host/gtk/MainContextCalls.h"

#include <glib.h>

namespace platform {

MainContextCalls::MainContextCalls() :
	fWakeUp(NULL),
	fAccepting(false)
{
}

MainContextCalls::~MainContextCalls()
{
	Close();
}

void MainContextCalls::Open()
{
	std::lock_guard<std::mutex> lock(fLock);
	fAccepting = true;
}

bool MainContextCalls::Post(std::function<void()> call)
{
	std::lock_guard<std::mutex> lock(fLock);
	if (!fAccepting)
		return false;
	fQueue.push_back(std::move(call));
	if (fWakeUp == NULL) {
		// Attaching wakes the context's thread from any thread.
		fWakeUp = g_idle_source_new();
		g_source_set_priority(fWakeUp, G_PRIORITY_DEFAULT);
		g_source_set_callback(fWakeUp, &MainContextCalls::Drain, this, NULL);
		g_source_attach(fWakeUp, NULL);
	}
	return true;
}

void MainContextCalls::StopAccepting()
{
	std::lock_guard<std::mutex> lock(fLock);
	fAccepting = false;
}

void MainContextCalls::Close()
{
	GSource* wakeUp;
	{
		std::lock_guard<std::mutex> lock(fLock);
		fAccepting = false;
		wakeUp = fWakeUp;
		fWakeUp = NULL;
	}
	if (wakeUp != NULL) {
		g_source_destroy(wakeUp);
		g_source_unref(wakeUp);
	}
	RunQueued();
}

int MainContextCalls::Drain(void* self)
{
	// Returning G_SOURCE_REMOVE detaches the source; RunQueued drops our reference.
	static_cast<MainContextCalls*>(self)->RunQueued();
	return G_SOURCE_REMOVE;
}

void MainContextCalls::RunQueued()
{
	std::deque<std::function<void()>> calls;
	{
		std::lock_guard<std::mutex> lock(fLock);
		calls.swap(fQueue);
		if (fWakeUp != NULL) {
			g_source_unref(fWakeUp);
			fWakeUp = NULL;
		}
	}
	for (std::function<void()>& call : calls)
		call();
}

}  // namespace platform
