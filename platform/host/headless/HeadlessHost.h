#ifndef PLATFORM_HEADLESS_HOST_H
#define PLATFORM_HEADLESS_HOST_H

#include <Message.h>
#include <Rect.h>

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "host/Host.h"
#include "host/HostInput.h"

class BHandler;
class BLooper;

namespace platform {

// What the headless host knows of one window.
struct HeadlessWindowInfo {
	host_window_id id = -1;
	BRect frame;  // the content area on the screen, as the window asked for it
	std::string title;
	uint32 hints = 0;  // kHostWindow* bits
	bool open = false;  // made and not yet closed
	bool shown = false;  // on the screen
	int32 width = 0;  // of the screen copy, in pixels
	int32 height = 0;
	int32 presents = 0;  // PresentPixels calls so far
};

// A window system without a display, for tests. It keeps, per window, what the window
// asked for and a copy of every pixel presented (the screen), and takes pointer, key,
// close and drag events from the test, posting them to the window as a display would.
// Windows stay listed after they close, so that a test can look at them afterwards.
class HeadlessHost : public Host {
public:
	static HeadlessHost& Instance();

	// Host.
	virtual status_t Init(const std::function<void()>& meanwhile = nullptr);
	virtual void Shutdown();
	virtual const char* LastError() const;
	virtual status_t CreateWindow(
		const HostWindowParams& params, HostInput* input, host_window_id* id);
	virtual void ShowWindow(host_window_id id);
	virtual void HideWindow(host_window_id id);
	virtual void PresentPixels(
		host_window_id id, const uint32* pixels, int32 width, int32 height, BRect dirty);
	virtual void CloseWindow(host_window_id id);
	virtual bool GetPointer(host_window_id id, BPoint* where, uint32* buttons);

	// Looking at windows.
	std::vector<host_window_id> Windows() const;  // the open ones, oldest first
	host_window_id FindWindow(const char* title) const;  // newest open one; -1 if none
	// Waits until a window with that title is on the screen (shown, its first paint
	// presented); -1 on timeout.
	host_window_id WaitForWindow(const char* title, bigtime_t timeout = 5000000);
	bool GetWindowInfo(host_window_id id, HeadlessWindowInfo* info) const;
	bool IsOpen(host_window_id id) const;
	bool IsShown(host_window_id id) const;
	// The screen copy: width * height words 0xFFRRGGBB, rows from the top; empty before
	// the first present.
	std::vector<uint32> WindowPixels(
		host_window_id id, int32* width = NULL, int32* height = NULL) const;
	uint32 PixelAt(host_window_id id, int32 x, int32 y) const;  // 0 outside
	int32 PresentCount(host_window_id id) const;

	// Events, in window coordinates. Each returns B_OK, or B_BAD_VALUE for a window that
	// is not open. InjectPointer posts what the change amounts to: B_MOUSE_MOVED when the
	// position changes (or nothing else does), then B_MOUSE_DOWN when a button goes down
	// and B_MOUSE_UP when one comes up, each with "where", "buttons", "when", "modifiers";
	// the live state that GetPointer reports changes at once.
	status_t InjectPointer(host_window_id id, BPoint where, uint32 buttons);
	status_t InjectMouseDown(host_window_id id, BPoint where, uint32 buttons = kHostPrimaryButton);
	status_t InjectMouseUp(host_window_id id, BPoint where);  // every button up
	status_t InjectMouseMove(host_window_id id, BPoint where);  // buttons kept
	status_t InjectClick(host_window_id id, BPoint where, uint32 buttons = kHostPrimaryButton);
	status_t InjectKey(host_window_id id, const char* bytes);  // B_KEY_DOWN
	status_t InjectClose(host_window_id id);  // the close box: B_QUIT_REQUESTED
	status_t InjectExpose(host_window_id id);
	// A drag hands the window its dragged message once, at its first motion (or at its
	// drop, if no motion came first); later motions of that drag carry only the position,
	// and a window keeps only the latest of the motions queued one after the other. The drag
	// ends at its exit or its drop.
	status_t InjectDragMotion(host_window_id id, BPoint where, const BMessage& drag);
	status_t InjectDragExit(host_window_id id);
	status_t InjectDrop(host_window_id id, BPoint where, const BMessage& drag);

	// A drag whose what is kDragData goes to the window as a display hands it, raw:
	// a URI list, which the window turns into refs, or a preview of a text (its first
	// kMaxDragTextPreview bytes, whole characters). Any other message is handed on as the
	// dragged message itself: DragMessageFromPaths makes B_SIMPLE_DATA with one "refs" entry
	// per existing path, each resolved here, once.
	static BMessage DragMessageFromUriList(const std::string& uriList);
	static BMessage TextDragMessage(const char* text);
	static BMessage DragMessageFromPaths(const std::vector<std::string>& paths);
	static const uint32 kDragData = 'pDDT';

	// Waits until the window has handled everything posted to it so far, and what that led
	// to (messages it posted itself, drawing, presenting): until its queue is empty. true
	// also when the window has closed meanwhile; false on timeout.
	bool WaitForIdle(host_window_id id, bigtime_t timeout = 5000000);
	// Runs fn on the window's thread with the window locked, once the window is idle as
	// for WaitForIdle, and waits for it; false if the window closed first or on timeout.
	// The call travels as a message to a handler the host adds to the window's looper, and
	// goes back behind whatever is queued until nothing is.
	bool RunOnWindowThread(
		host_window_id id, const std::function<void()>& fn, bigtime_t timeout = 5000000);
	bool WaitForClose(host_window_id id, bigtime_t timeout = 5000000);

private:
	struct Window {
		HeadlessWindowInfo info;
		HostInput* input = NULL;
		BLooper* target = NULL;
		std::vector<uint32> screen;
		BPoint pointer = BPoint(-1, -1);
		uint32 buttons = 0;
		bool dragging = false;  // the window has this drag's data
		BHandler* caller = NULL;  // runs calls on the window's thread; kept with the entry
	};
	struct Call {
		std::function<void()> function;
		bool done = false;
	};
	class CallHandler;
	enum CallResult {
		kRan,
		kClosed,
		kTimedOut
	};

	HeadlessHost();

	Window* OpenWindow(host_window_id id);
	const Window* FindLocked(host_window_id id) const;

	status_t PostDragData(Window* window, const BMessage& drag);
	bool WaitFor(
		std::unique_lock<std::mutex>& lock, bigtime_t timeout, const std::function<bool()>& ready);
	CallResult CallOnWindowThread(
		host_window_id id, const std::function<void()>& fn, bigtime_t timeout);
	void RunCall(int32 token);

	mutable std::mutex fMutex;
	std::condition_variable fChanged;
	std::map<host_window_id, Window> fWindows;
	host_window_id fNextID;
	std::map<int32, Call> fCalls;
	int32 fNextCall;
};

}  // namespace platform

#endif
