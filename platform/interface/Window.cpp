#include <Window.h>

#include <Message.h>
#include <View.h>

#include "app/WindowRegistry.h"
#include "interface/ViewAccess.h"
#include "interface/WindowData.h"
#include "interface/WindowMessages.h"

using platform::ViewAccess;
using platform::WindowData;
using platform::WindowRegistry;

BWindow::BWindow(BRect frame, const char* title, window_look look, window_feel feel, uint32 flags,
	uint32 /*workspace*/) :
	BLooper(title),
	fData(new WindowData(this, frame, title, look, feel, flags))
{
	// Motion comes faster than a busy window handles it (a press tracked by polling takes one
	// pointer message a poll); of a burst, only the latest position counts, so that a release
	// is not kept waiting behind stale moves, nor a drop behind stale drag motions.
	CoalesceQueued(B_MOUSE_MOVED);
	CoalesceQueued(platform::kMsgWindowDragMotion);
	WindowRegistry::Add(this);
}

// Runs on the window's thread once its loop has ended, or on the quitting thread of a
// window that never ran.
BWindow::~BWindow()
{
	WindowRegistry::Remove(this);
	fData->Link().Close();
	fData->DeleteViews();
}

// The first time: the host window is made, and the window's thread starts by painting
// every view and presenting the result before the window appears on the screen.
void BWindow::Show()
{
	bool locked = fData->ShowCalled() && Lock();
	bool first = fData->Show();
	if (locked)
		Unlock();
	if (first)
		Run();
}

void BWindow::Hide()
{
	bool locked = Lock();
	fData->Hide();
	if (locked)
		Unlock();
}

// The host window goes first, so that nothing more is posted to a looper on its way out;
// the looper's quit then deletes the window, and with it its views.
void BWindow::Quit()
{
	// A lock taken here is the one BLooper::Quit needs from another thread; it lets go of
	// it itself.
	if (IsLocked() || Lock())
		fData->Link().Close();
	BLooper::Quit();
}

bool BWindow::QuitRequested()
{
	return true;
}

void BWindow::MessageReceived(BMessage* message)
{
	BLooper::MessageReceived(message);
}

// System messages go to their hooks here; everything else to its handler's
// MessageReceived. What the hooks drew is presented after each message.
void BWindow::DispatchMessage(BMessage* message, BHandler* handler)
{
	WindowData& data = *fData;
	switch (message->what) {
		case B_MOUSE_DOWN:
			data.Input().MouseDown(message);
			break;
		case B_MOUSE_UP:
			data.Input().MouseUp(message);
			break;
		case B_MOUSE_MOVED:
			data.Input().MouseMoved(message);
			break;
		case B_KEY_DOWN:
			data.Input().KeyDown(message);
			break;
		case B_QUIT_REQUESTED:
			if (handler != this && handler != NULL) {
				handler->MessageReceived(message);
				break;
			}
			if (QuitRequested()) {
				Quit();
				return;
			}
			break;
		case platform::kMsgWindowDragData:
			data.Input().DragData(message);
			break;
		case platform::kMsgWindowDragMotion:
			data.Input().DragMotion(message);
			break;
		case platform::kMsgWindowDragExit:
			data.Input().DragExit();
			break;
		case platform::kMsgWindowDrop:
			data.Input().Drop(message);
			break;
		case platform::kMsgWindowExpose:
			data.PresentAll();
			break;
		case platform::kMsgWindowFirstShow:
			data.FirstShow();
			break;
		case platform::kMsgWindowUpdate:
			data.Update();
			break;
		default:
			(handler != NULL ? handler : this)->MessageReceived(message);
			break;
	}
	data.Flush();
}

void BWindow::AddChild(BView* view, BView* before)
{
	if (view == NULL || view->Parent() != NULL || view->Window() != NULL)
		return;

	bool locked = Lock();
	fData->AddTopView(view, before);
	ViewAccess::SetWindow(view, this);
	ViewAccess::CallAttached(view);
	view->Invalidate();
	if (locked)
		Unlock();
}

bool BWindow::RemoveChild(BView* view)
{
	if (!fData->IsTopView(view))
		return false;

	bool locked = Lock();
	ViewAccess::CallDetached(view);
	view->Invalidate();
	fData->RemoveTopView(view);
	ViewAccess::SetWindow(view, NULL);
	view->SetNextHandler(NULL);
	if (locked)
		Unlock();
	return true;
}

int32 BWindow::CountChildren() const
{
	return fData->CountTopViews();
}

BView* BWindow::ChildAt(int32 index) const
{
	return fData->TopViewAt(index);
}

BView* BWindow::FindView(const char* name) const
{
	return fData->FindView(name);
}

BView* BWindow::FindView(BPoint point) const
{
	return fData->FindView(point);
}

BRect BWindow::Bounds() const
{
	BRect frame = fData->Frame();
	return BRect(0, 0, frame.Width(), frame.Height());
}

BRect BWindow::Frame() const
{
	return fData->Frame();
}

uint32 BWindow::Flags() const
{
	return fData->Flags();
}

// Only remembered: the host places the window where its params said when it was made.
void BWindow::MoveTo(BPoint point)
{
	fData->MoveTo(point);
}

void BWindow::MoveTo(float x, float y)
{
	MoveTo(BPoint(x, y));
}

void BWindow::ConvertToScreen(BPoint* point) const
{
	if (point != NULL)
		*point += fData->Frame().LeftTop();
}

void BWindow::ConvertFromScreen(BPoint* point) const
{
	if (point != NULL)
		*point -= fData->Frame().LeftTop();
}

void BWindow::UpdateIfNeeded()
{
	bool locked = Lock();
	fData->UpdateIfNeeded();
	fData->Flush();
	if (locked)
		Unlock();
}

void BWindow::Flush() const
{
	fData->Flush();
}

void BWindow::Sync() const
{
	fData->Flush();
}
