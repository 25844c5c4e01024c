#ifndef TEST_WINDOW_H
#define TEST_WINDOW_H

#include <InterfaceDefs.h>
#include <Message.h>
#include <OS.h>

#include "host/Host.h"

#include <functional>
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
	explicit TestWindow(const std::string& title, bigtime_t timeout = kWait);
	~TestWindow();

	BWindow* Window() const { return fWindow; }
	bool IsOpen() const;

	// Each B_OK, or B_BAD_VALUE for a window that is not open. Pointer reports what the change
	// amounts to: a move when the position changes (or nothing else does), then a press when a
	// button goes down, then a release when one comes up.
	status_t Pointer(BPoint where, uint32 buttons);
	status_t MouseMove(BPoint where);  // the buttons held stay held
	status_t Click(BPoint where, uint32 buttons = B_PRIMARY_MOUSE_BUTTON);
	status_t Key(const char* bytes);
	status_t Close();  // the close box
	// A drag hands the window its data once, at its first motion, or at its drop if no motion
	// came first; it ends at its exit or its drop.
	status_t DragMotion(BPoint where, const BMessage& drag);
	status_t DragExit();
	status_t Drop(BPoint where, const BMessage& drag);

	// true also when the window has closed meanwhile; false on timeout.
	bool WaitForIdle(bigtime_t timeout = kWait) const;
	// Runs fn on the window's thread with the window locked once it is idle, and waits for it;
	// false when the window closed first, or on timeout. Calls do not wait for each other.
	bool RunOnThread(const std::function<void()>& fn, bigtime_t timeout = kWait) const;
	bool WaitForClose(bigtime_t timeout = kWait) const;

	// The screen copy: rows from the top, 0xFFRRGGBB; empty before the first present.
	std::vector<uint32> Pixels(int32* width = NULL) const;
	int32 PresentCount() const;

private:
	TestWindow(const TestWindow&) = delete;
	TestWindow& operator=(const TestWindow&) = delete;

	void Attach(const std::string& title, bigtime_t timeout);
	status_t Report(const std::function<void(platform::HostInput& input)>& report);
	status_t ReportDrag(const BMessage& drag, bool ends, BPoint where);
	int Call(const std::function<void()>& fn, bigtime_t timeout) const;

	BWindow* fWindow;
	platform::host_window_id fId;
	bool fOwned;
	bool fDragging;  // the window has this drag's data
};

}  // namespace testing_support

#endif
