#ifndef WINDOW_TEST_SUPPORT_H
#define WINDOW_TEST_SUPPORT_H

// Shared by the window, view, drawing and host tests.

#include <Looper.h>
#include <OS.h>
#include <View.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "TestWindow.h"

namespace window_test {

using testing_support::TestWindow;
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

}  // namespace window_test

#endif
