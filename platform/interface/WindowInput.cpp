#include "interface/WindowInput.h"

#include <Message.h>
#include <View.h>
#include <Window.h>

#include <TypeConstants.h>

#include <algorithm>

#include "app/MessageAccess.h"
#include "host/HostInput.h"
#include "interface/ViewAccess.h"
#include "interface/WindowData.h"
#include "storage/UriList.h"

namespace platform {

namespace {

bool IsPointerMessage(const BMessage& message)
{
	// A press of a further button while one is held comes as a B_MOUSE_DOWN too; a press
	// loop takes it, so that it does not start a second press afterwards.
	return message.what == B_MOUSE_MOVED || message.what == B_MOUSE_UP
		|| message.what == B_MOUSE_DOWN;
}

BPoint LocalPoint(const BView* view, BPoint where)
{
	return where - ViewAccess::OffsetInWindow(view);
}

// What the views see of a drag: B_SIMPLE_DATA with one "refs" item per local entry of a URI
// list, or a preview of dragged text under "text/plain". The list is resolved here, on the
// window's thread, within the list's bounds of entries and time.
std::unique_ptr<BMessage> DraggedMessage(const BMessage& data)
{
	std::unique_ptr<BMessage> dragged(new BMessage(B_SIMPLE_DATA));
	if (data.FindMessage("drag", dragged.get()) == B_OK)
		return dragged;
	dragged.reset(new BMessage(B_SIMPLE_DATA));
	const void* bytes = NULL;
	ssize_t size = 0;
	if (data.FindData("uri-list", B_RAW_TYPE, &bytes, &size) == B_OK) {
		for (const entry_ref& ref : RefsFromUriList((const char*)bytes, size))
			dragged->AddRef("refs", &ref);
	} else if (data.FindData("text", B_RAW_TYPE, &bytes, &size) == B_OK) {
		size_t length = std::min((size_t)size, kMaxDragTextPreview);
		dragged->AddData("text/plain", B_MIME_TYPE, bytes, (ssize_t)length, false);
	}
	return dragged;
}

}  // namespace

WindowInput::WindowInput(WindowData* data) :
	fData(data),
	fWhere(-1, -1),
	fButtons(0),
	fDragWhere(-1, -1)
{
}

WindowInput::~WindowInput()
{
}

void WindowInput::MouseDown(BMessage* message)
{
	TakePointerState(message);
	BView* view = fData->FindView(fWhere);
	if (view != NULL)
		view->MouseDown(LocalPoint(view, fWhere));
}

void WindowInput::MouseUp(BMessage* message)
{
	TakePointerState(message);
	BView* view = fData->FindView(fWhere);
	if (view != NULL)
		view->MouseUp(LocalPoint(view, fWhere));
}

void WindowInput::MouseMoved(BMessage* message)
{
	TakePointerState(message);
	fPointerViews.MoveTo(fData->FindView(fWhere), fWhere, NULL);
}

// No view takes the keyboard focus: the window's MessageReceived sees every key, so a window
// answers keys of its own.
void WindowInput::KeyDown(BMessage* message)
{
	fData->Window()->MessageReceived(message);
}

// The dragged message is made here, once per drag: motions and the drop only point at it.
void WindowInput::DragData(BMessage* message)
{
	fDragMessage = DraggedMessage(*message);
}

void WindowInput::DragMotion(BMessage* message)
{
	BPoint where;
	if (message->FindPoint("where", &where) != B_OK)
		where = fDragWhere;
	if (!fDragMessage)
		fDragMessage.reset(new BMessage(B_SIMPLE_DATA));
	fDragWhere = where;
	fDragViews.MoveTo(fData->FindView(where), where, fDragMessage.get());
}

void WindowInput::DragExit()
{
	if (fDragMessage)
		fDragViews.ExitAll(fDragWhere, fDragMessage.get());
	fDragViews.Reset();
	fDragMessage.reset();
}

// The view under the pointer gets the dropped message itself; it repaints itself for the
// end of the drag, so the views the drag was over hear nothing more.
void WindowInput::Drop(BMessage* message)
{
	fDragViews.Reset();
	std::unique_ptr<BMessage> dropped = std::move(fDragMessage);
	if (!dropped)
		dropped.reset(new BMessage(B_SIMPLE_DATA));

	BPoint where;
	if (message->FindPoint("where", &where) != B_OK)
		where = fDragWhere;
	BPoint onScreen = where;
	fData->Window()->ConvertToScreen(&onScreen);
	MessageAccess::SetDropped(dropped.get(), true, onScreen);

	BView* view = fData->FindView(where);
	if (view != NULL)
		view->MessageReceived(dropped.get());
	else
		fData->Window()->MessageReceived(dropped.get());
}

// The live state is taken only when no pointer message waits. One may have come while the
// live state was read: it is older than that state, and passing over it could skip a move
// between a press and its release (a release outside would then count as one inside).
void WindowInput::ReadPointer(bool checkQueue, BPoint* where, uint32* buttons)
{
	if (!(checkQueue && TakeQueuedPointerMessage()) && fData->Link().IsOpen()) {
		BPoint live;
		uint32 liveButtons = 0;
		bool known = fData->Link().GetPointer(&live, &liveButtons);
		if (!(checkQueue && TakeQueuedPointerMessage()) && known) {
			fWhere = live;
			fButtons = liveButtons;
		}
	}
	*where = fWhere;
	*buttons = fButtons;
}

bool WindowInput::TakeQueuedPointerMessage()
{
	std::unique_ptr<BMessage> message(fData->TakeQueuedMessage(&IsPointerMessage));
	if (!message)
		return false;
	TakePointerState(message.get());
	fPointerViews.Follow(fData->FindView(fWhere));
	return true;
}

void WindowInput::TakePointerState(const BMessage* message)
{
	BPoint where;
	if (message->FindPoint("where", &where) == B_OK)
		fWhere = where;
	int32 buttons;
	if (message->FindInt32("buttons", &buttons) == B_OK)
		fButtons = (uint32)buttons;
}

void WindowInput::ForgetView(const BView* view)
{
	fPointerViews.Forget(view);
	fDragViews.Forget(view);
}

}  // namespace platform
