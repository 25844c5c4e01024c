#ifndef WINDOW_TEST_SUPPORT_H
#define WINDOW_TEST_SUPPORT_H

// Shared by the window, view, control, drawing and host tests.

#include <Looper.h>
#include <OS.h>
#include <View.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <atomic>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include "host/headless/HeadlessHost.h"

#include "TestSupport.h"

namespace window_test {

using testing_support::Watchdog;

struct HookRecord {
	std::string hook;
	thread_id thread;
	bool locked;  // the window, by the hook's thread
};

class HookLog {
public:
	void Add(const std::string& hook, const BLooper* window)
	{
		std::lock_guard<std::mutex> lock(fMutex);
		fRecords.push_back({hook, find_thread(NULL), window != NULL && window->IsLocked()});
	}
	std::vector<HookRecord> Records() const
	{
		std::lock_guard<std::mutex> lock(fMutex);
		return fRecords;
	}
	std::vector<std::string> Hooks() const
	{
		std::vector<std::string> hooks;
		for (const HookRecord& record : Records())
			hooks.push_back(record.hook);
		return hooks;
	}
	void Clear()
	{
		std::lock_guard<std::mutex> lock(fMutex);
		fRecords.clear();
	}

private:
	mutable std::mutex fMutex;
	std::vector<HookRecord> fRecords;
};

// Logs "<name>.<hook>" per hook; MouseMoved adds the transit and " drag" for a drag.
class RecordingView : public BView {
public:
	RecordingView(BRect frame, const char* name, HookLog* log, std::atomic<bool>* deleted = NULL) :
		BView(frame, name, B_FOLLOW_NONE, B_WILL_DRAW),
		fLog(log),
		fDeleted(deleted)
	{
	}
	~RecordingView() override
	{
		if (fDeleted != NULL)
			*fDeleted = true;
	}
	void AttachedToWindow() override { Record("AttachedToWindow"); }
	void Draw(BRect) override { Record("Draw"); }
	void MouseDown(BPoint) override { Record("MouseDown"); }
	void MouseUp(BPoint) override { Record("MouseUp"); }
	void MouseMoved(BPoint, uint32 transit, const BMessage* drag) override
	{
		static const char* const kTransits[] = {"entered", "inside", "exited", "outside"};
		Record(std::string("MouseMoved ") + kTransits[transit & 3] + (drag ? " drag" : ""));
	}
	void MessageReceived(BMessage* message) override
	{
		Record(message->WasDropped() ? "MessageReceived dropped" : "MessageReceived");
		BView::MessageReceived(message);
	}

private:
	void Record(const std::string& hook) { fLog->Add(std::string(Name()) + "." + hook, Window()); }

	HookLog* fLog;
	std::atomic<bool>* fDeleted;
};

inline std::string UniqueTitle(const char* base)
{
	static std::atomic<int> counter(0);
	return std::string(base) + "-" + std::to_string(counter++);
}

inline BWindow* NewWindow(BRect frame, const char* base = "test")
{
	return new BWindow(frame, UniqueTitle(base).c_str(), B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL,
		B_NOT_RESIZABLE);
}

// Shows a window on the headless host and waits until it has painted; quits it at the end
// unless it has closed already.
class ShownWindow {
public:
	explicit ShownWindow(BWindow* window) :
		fWindow(window)
	{
		std::string title = fWindow->Name();  // a window's looper is named by its title
		fWindow->Show();
		fId = Host().WaitForWindow(title.c_str());
		EXPECT_GE(fId, 0) << "no host window titled " << title;
		Idle();
	}
	~ShownWindow()
	{
		if (Host().IsOpen(fId) && fWindow->Lock())
			fWindow->Quit();
		EXPECT_TRUE(Host().WaitForClose(fId));
	}

	static platform::HeadlessHost& Host() { return platform::HeadlessHost::Instance(); }
	platform::host_window_id Id() const { return fId; }
	void Idle() const { EXPECT_TRUE(Host().WaitForIdle(fId)) << "the window did not settle"; }
	void OnThread(const std::function<void()>& fn) const
	{
		EXPECT_TRUE(Host().RunOnWindowThread(fId, fn));
		Idle();
	}
	std::vector<uint32> Pixels() const { return Host().WindowPixels(fId); }

private:
	BWindow* fWindow;
	platform::host_window_id fId;
};

}  // namespace window_test

#endif
