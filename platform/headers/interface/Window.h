#ifndef _WINDOW_H
#define _WINDOW_H

#include <InterfaceDefs.h>
#include <Looper.h>
#include <Rect.h>

#include <memory>
#include <string>

class BView;

namespace platform {
class WindowData;
class ViewAccess;
}  // namespace platform

enum window_look {
	B_BORDERED_WINDOW_LOOK = 20,
	B_NO_BORDER_WINDOW_LOOK = 19,
	B_TITLED_WINDOW_LOOK = 1,
	B_DOCUMENT_WINDOW_LOOK = 11,
	B_MODAL_WINDOW_LOOK = 3,
	B_FLOATING_WINDOW_LOOK = 7
};

enum window_feel {
	B_NORMAL_WINDOW_FEEL = 0,
	B_MODAL_SUBSET_WINDOW_FEEL = 2,
	B_MODAL_APP_WINDOW_FEEL = 1,
	B_MODAL_ALL_WINDOW_FEEL = 3,
	B_FLOATING_SUBSET_WINDOW_FEEL = 5,
	B_FLOATING_APP_WINDOW_FEEL = 4,
	B_FLOATING_ALL_WINDOW_FEEL = 6
};

// Window flags.
enum {
	B_NOT_MOVABLE = 0x00000001,
	B_NOT_CLOSABLE = 0x00000020,
	B_NOT_ZOOMABLE = 0x00000040,
	B_NOT_MINIMIZABLE = 0x00004000,
	B_NOT_RESIZABLE = 0x00000002,
	B_NOT_H_RESIZABLE = 0x00000004,
	B_NOT_V_RESIZABLE = 0x00000008,
	B_AVOID_FRONT = 0x00000080,
	B_AVOID_FOCUS = 0x00002000,
	B_WILL_ACCEPT_FIRST_CLICK = 0x00000010,
	B_OUTLINE_RESIZE = 0x00001000,
	B_NO_WORKSPACE_ACTIVATION = 0x00000100,
	B_NOT_ANCHORED_ON_ACTIVATE = 0x00020000,
	B_QUIT_ON_WINDOW_CLOSE_FLAG = 0x00100000,
	B_ASYNCHRONOUS_CONTROLS = 0x00080000
};

// A window on the screen, a looper with its own thread. Show() starts the thread the first
// time; every window and view hook runs there with the window locked. A window that quits
// deletes itself and its views.
class BWindow : public BLooper {
public:
	BWindow(BRect frame, const char* title, window_look look, window_feel feel, uint32 flags,
		uint32 workspace = B_CURRENT_WORKSPACE);
	virtual ~BWindow();

	virtual void Show();
	virtual void Hide();
	virtual void Quit();
	virtual bool QuitRequested();
	virtual void MessageReceived(BMessage* message);
	virtual void DispatchMessage(BMessage* message, BHandler* handler);

	void AddChild(BView* view, BView* before = NULL);
	bool RemoveChild(BView* view);
	int32 CountChildren() const;
	BView* ChildAt(int32 index) const;
	BView* FindView(const char* name) const;
	BView* FindView(BPoint point) const;  // deepest view under a point of the window

	BRect Bounds() const;  // the content area, from (0, 0)
	BRect Frame() const;  // the content area on the screen
	uint32 Flags() const;
	void MoveTo(BPoint point);
	void MoveTo(float x, float y);

	void ConvertToScreen(BPoint* point) const;
	void ConvertFromScreen(BPoint* point) const;

	// Draws every view that asked for it, and hands the back buffer to the screen.
	void UpdateIfNeeded();
	void Flush() const;
	void Sync() const;

private:
	friend class BView;
	friend class platform::ViewAccess;
	friend class platform::WindowData;

	std::unique_ptr<platform::WindowData> fData;
};

#endif
