#include "interface/WindowInput.h"

#include <Message.h>
#include <View.h>
#include <Window.h>

#include <string.h>

#include "app/MessageAccess.h"
#include "host/Host.h"
#include "interface/ViewAccess.h"
#include "interface/WindowData.h"

namespace BPrivate {

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

}  // namespace

WindowInput::WindowInput(WindowData* data)
	:
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

// Without a focus view the window's MessageReceived sees the key, so a window can answer
// keys of its own.
void WindowInput::KeyDown(BMessage* message)
{
	BView* focus = dynamic_cast<BView*>(fData->Window()->PreferredHandler());
	if (focus == NULL || !fData->Holds(focus)) {
		fData->Window()->MessageReceived(message);
		return;
	}
	const char* bytes = NULL;
	if (message->FindString("bytes", &bytes) != B_OK)
		bytes = "";
	focus->KeyDown(bytes, (int32)strlen(bytes));
}

void WindowInput::DragMotion(BMessage* message)
{
	std::unique_ptr<BMessage> drag(new BMessage(B_SIMPLE_DATA));
	if (message->FindMessage("drag", drag.get()) != B_OK)
		drag.reset(new BMessage(B_SIMPLE_DATA));
	BPoint where;
	if (message->FindPoint("where", &where) != B_OK)
		where = fDragWhere;

	fDragMessage = std::move(drag);
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
	fDragMessage.reset();

	BPoint where;
	if (message->FindPoint("where", &where) != B_OK)
		where = fDragWhere;
	BMessage dropped(B_SIMPLE_DATA);
	if (message->FindMessage("drag", &dropped) != B_OK)
		dropped = BMessage(B_SIMPLE_DATA);
	BPoint onScreen = where;
	fData->Window()->ConvertToScreen(&onScreen);
	MessageAccess::SetDropped(&dropped, true, onScreen);

	BView* view = fData->FindView(where);
	if (view != NULL)
		view->MessageReceived(&dropped);
	else
		fData->Window()->MessageReceived(&dropped);
}

// The live state is taken only when no pointer message waits. One may have come while the
// live state was read: it is older than that state, and passing over it could skip a move
// between a press and its release (a release outside would then count as one inside).
void WindowInput::ReadPointer(bool checkQueue, BPoint* where, uint32* buttons)
{
	if (!(checkQueue && TakeQueuedPointerMessage()) && fData->HasHostWindow()) {
		BPoint live;
		uint32 liveButtons = 0;
		bool known = platform::TheHost().GetPointer(fData->HostID(), &live, &liveButtons);
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

}  // namespace BPrivate
