#ifndef TEST_WINDOW_H
#define TEST_WINDOW_H

#include <InterfaceDefs.h>
#include <Message.h>
#include <OS.h>
#include <View.h>

#include "host/Host.h"
#include "host/HostInput.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

class BWindow;

namespace testing_support {

// Drags as a test hands them to a window: a desktop's URI list, or its text (at most a byte
// more than the window keeps), handed on raw as a display hands them; or a message dragged
// inside the process, handed on as it is: DragFromPaths makes B_SIMPLE_DATA with one "refs"
// item per existing path, resolved now, once.
BMessage DragFromUriList(const std::string& list);
BMessage TextDrag(const char* text);
BMessage DragFromPaths(const std::vector<std::string>& paths);

// One window on the headless host, driven as the display's user would drive it: input goes
// through the HostInput the host keeps for the window, in window coordinates, and the screen
// is read back from the host. The window is idle once it has handled everything posted to it
// and what that led to (messages it posted itself, drawing, presenting). No gtest in here:
// the fault drop driver, a program of its own, drives its window with it too.
class TestWindow {
public:
	static const bigtime_t kWait = 5000000;

	// Shows the window and waits until it is on the screen and idle. At the end the window
	// quits, unless it has closed.
	explicit TestWindow(BWindow* window);
	// The newest window with the title on the screen, waited for, once idle; left as it is at
	// the end. When none comes, the window is not open and nothing reaches it.
	explicit TestWindow(const std::string& title, bigtime_t timeout = kWait)
	{
		Attach(title, timeout);
	}
	~TestWindow();

	BWindow* Window() const { return fWindow; }
	bool IsOpen() const;

	// Each B_OK, or B_BAD_VALUE for a window that is not open. Pointer reports what the change
	// amounts to: a move when the position changes (or nothing else does), then a press when a
	// button goes down, then a release when one comes up.
	status_t Pointer(BPoint where, uint32 buttons);
	status_t MouseMove(BPoint where);  // the buttons held stay held
	status_t Click(BPoint where, uint32 buttons = B_PRIMARY_MOUSE_BUTTON)
	{
		return Pointer(where, buttons) == B_OK ? Pointer(where, 0) : B_BAD_VALUE;
	}
	status_t Key(const char* bytes);
	status_t Close()  // the close box
	{
		return Report([](platform::HostInput& input) { input.CloseRequested(); });
	}
	// A drag hands the window its data once, at its first motion, or at its drop if no motion
	// came first; it ends at its exit or its drop.
	status_t DragMotion(BPoint where, const BMessage& drag)
	{
		return ReportDrag(drag, false, where);
	}
	status_t DragExit();
	status_t Drop(BPoint where, const BMessage& drag) { return ReportDrag(drag, true, where); }

	// true also when the window has closed meanwhile; false on timeout.
	bool WaitForIdle(bigtime_t timeout = kWait) const;
	// Runs fn on the window's thread with the window locked once it is idle, and waits for it;
	// false when the window closed first, or on timeout. Calls do not wait for each other.
	bool RunOnThread(const std::function<void()>& fn, bigtime_t timeout = kWait) const;

	// The screen copy: rows from the top, 0xFFRRGGBB; empty before the first present.
	std::vector<uint32> Pixels(int32* width = NULL) const;
	int32 PresentCount() const;

private:
	TestWindow(const TestWindow&) = delete;
	TestWindow& operator=(const TestWindow&) = delete;

	void Attach(const std::string& title, bigtime_t timeout);
	status_t Report(const std::function<void(platform::HostInput& input)>& report);
	status_t ReportDrag(const BMessage& drag, bool ends, BPoint where);

	BWindow* fWindow = NULL;
	platform::host_window_id fId = -1;
	bool fOwned = false;
	bool fDragging = false;  // the window has this drag's data
};

// A title no other window of the process had: the base and a number.
std::string UniqueTitle(const char* base);
// A titled window, not resizable, of the frame, with a unique title.
BWindow* NewWindow(BRect frame, const char* base = "test");

// What recording views did, in order, from any thread: "<view>.<hook>" per hook, and a copy of
// each message they received. It waits for its views to go before it goes itself.
struct HookLog {
	~HookLog();
	std::vector<std::string> Hooks()
	{
		std::lock_guard<std::mutex> lock(mutex);
		return hooks;
	}
	std::vector<BMessage> Messages()
	{
		std::lock_guard<std::mutex> lock(mutex);
		return messages;
	}
	void Clear()
	{
		std::lock_guard<std::mutex> lock(mutex);
		hooks.clear();
		messages.clear();
	}

	std::mutex mutex;
	std::vector<std::string> hooks;
	std::vector<BMessage> messages;
	int views = 0;
};

// Logs each hook: " elsewhere" added when it runs on another thread than the window's,
// " unlocked" when the window is not locked; MouseMoved adds the transit, and " drag" for a
// drag; "deleted" comes last. A message is handed on as a view hands it on.
class RecordingView : public BView {
public:
	RecordingView(BRect frame, const char* name, HookLog* log);
	~RecordingView() override;
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
		Record(message->WasDropped() ? "MessageReceived dropped" : "MessageReceived", message);
		BView::MessageReceived(message);
	}

private:
	void Record(const std::string& hook, const BMessage* message = NULL);

	HookLog* fLog;
};

}  // namespace testing_support

#endif
