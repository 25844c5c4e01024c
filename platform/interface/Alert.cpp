#include <Alert.h>

#include <Message.h>
#include <OS.h>

#include "interface/AlertLayout.h"
#include "interface/AlertView.h"

#include <condition_variable>
#include <functional>
#include <mutex>

using platform::AlertLayout;
using platform::AlertView;

namespace {

// Posted by the alert to the looper whose thread waits in Go(): "alert" (pointer).
const uint32 kMsgAlertAnswered = 'pALA';

// Where an alert appears on the screen: over the top left of a main window at the usual
// place, so that it is seen next to what asked for it.
const BPoint kAlertScreenPosition(120, 120);

const uint32 kAlertFlags =
	B_NOT_RESIZABLE | B_NOT_ZOOMABLE | B_NOT_MINIMIZABLE | B_ASYNCHRONOUS_CONTROLS;

std::vector<std::string> Labels(const char* button0, const char* button1, const char* button2)
{
	std::vector<std::string> labels;
	for (const char* label : {button0, button1, button2}) {
		if (label == NULL)
			break;
		labels.push_back(label);
	}
	return labels;
}

BRect AlertFrame(
	const char* text, const std::vector<std::string>& labels, button_width width, alert_type type)
{
	BRect bounds = AlertLayout::Compute(text != NULL ? text : "", labels, width, type).bounds;
	return bounds.OffsetToCopy(kAlertScreenPosition);
}

// Go() waits in the queue of the looper whose thread called it: the looper keeps its
// queue, and a quit request that arrives meanwhile still ends the wait. Only a BLooper may
// reach a looper's queue; this names the call for another looper.
class QueueAccess : public BLooper {
public:
	static BMessage* Take(
		BLooper* looper, const std::function<bool(const BMessage&)>& match, bigtime_t timeout)
	{
		BMessage* (BLooper::*take)(const std::function<bool(const BMessage&)>&, bigtime_t) =
			&QueueAccess::TakeQueuedMessage;
		return (looper->*take)(match, timeout);
	}
};

}  // namespace

// What Go() waits for. It lives on the waiting thread's stack; Go() quits the alert, which
// ends the alert's thread, before it returns, so the alert never outlives it.
struct BAlert::GoState {
	std::mutex lock;
	std::condition_variable answered;
	bool hasAnswer = false;
	int32 which = -1;
	BLooper* caller = NULL;  // woken through its queue; NULL: through answered

	// The first answer counts; true if this one did.
	bool Answer(int32 index)
	{
		std::lock_guard<std::mutex> guard(lock);
		if (hasAnswer)
			return false;
		hasAnswer = true;
		which = index;
		answered.notify_all();
		return true;
	}
};

BAlert::BAlert(const char* title, const char* text, const char* button0, const char* button1,
	const char* button2, button_width width, alert_type type) :
	BWindow(AlertFrame(text, Labels(button0, button1, button2), width, type),
		title != NULL ? title : "", B_MODAL_WINDOW_LOOK, B_MODAL_APP_WINDOW_FEEL, kAlertFlags),
	fText(text != NULL ? text : ""),
	fLabels(Labels(button0, button1, button2)),
	fShortcuts(fLabels.size(), 0),
	fType(type),
	fWidth(width),
	fView(NULL),
	fGoState(NULL)
{
	fView = new AlertView(this, AlertLayout::Compute(fText, fLabels, fWidth, fType));
	AddChild(fView);
}

BAlert::~BAlert()
{
}

void BAlert::SetShortcut(int32 index, char key)
{
	if (index >= 0 && index < CountButtons())
		fShortcuts[index] = key;
}

char BAlert::Shortcut(int32 index) const
{
	return index >= 0 && index < CountButtons() ? fShortcuts[index] : 0;
}

int32 BAlert::CountButtons() const
{
	return int32(fLabels.size());
}

const char* BAlert::ButtonLabel(int32 index) const
{
	return index >= 0 && index < CountButtons() ? fLabels[index].c_str() : NULL;
}

const char* BAlert::Text() const
{
	return fText.c_str();
}

alert_type BAlert::Type() const
{
	return fType;
}

int32 BAlert::Go()
{
	GoState state;
	state.caller = BLooper::LooperForThread(find_thread(NULL));
	fGoState = &state;
	Show();

	if (state.caller != NULL)
		WaitInQueue(&state);
	else {
		std::unique_lock<std::mutex> lock(state.lock);
		state.answered.wait(lock, [&state] { return state.hasAnswer; });
	}

	int32 which = state.which;
	BLooper* caller = state.caller;
	if (Lock())
		Quit();  // from this thread: waits until the alert's thread has ended

	// A wake-up posted just as a quit request ended the wait must not reach the caller's
	// handlers.
	if (caller != NULL) {
		const BAlert* gone = this;
		delete QueueAccess::Take(
			caller,
			[gone](const BMessage& message) {
				void* alert = NULL;
				return message.what == kMsgAlertAnswered
					&& message.FindPointer("alert", &alert) == B_OK && alert == gone;
			},
			0);
	}
	return which;
}

void BAlert::MessageReceived(BMessage* message)
{
	BWindow::MessageReceived(message);
}

// Keys are answered here, before the window's own handling: a button's shortcut presses it.
void BAlert::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (message->what == B_KEY_DOWN) {
		const char* bytes = NULL;
		if (message->FindString("bytes", &bytes) == B_OK && bytes[0] != '\0' && bytes[1] == '\0') {
			for (int32 i = 0; i < CountButtons(); i++) {
				if (fShortcuts[i] != 0 && fShortcuts[i] == bytes[0]) {
					ButtonPressed(i);
					return;
				}
			}
		}
	}
	BWindow::DispatchMessage(message, handler);
}

// The close box, or the application quitting: the alert is dismissed, as if by the button
// that answers Escape, else by the last one.
bool BAlert::QuitRequested()
{
	// Go() quits the alert itself.
	return !AnswerWaitingCaller(DismissIndex());
}

void BAlert::ButtonPressed(int32 index)
{
	if (!AnswerWaitingCaller(index))
		Quit();
}

bool BAlert::AnswerWaitingCaller(int32 index)
{
	GoState* state = fGoState;
	if (state == NULL)
		return false;
	if (state->Answer(index) && state->caller != NULL) {
		BMessage wake(kMsgAlertAnswered);
		wake.AddPointer("alert", this);
		state->caller->PostMessage(&wake);
	}
	return true;
}

int32 BAlert::DismissIndex() const
{
	for (int32 i = 0; i < CountButtons(); i++) {
		if (fShortcuts[i] == B_ESCAPE)
			return i;
	}
	return CountButtons() - 1;
}

void BAlert::WaitInQueue(GoState* state)
{
	const BAlert* self = this;
	BMessage* message = QueueAccess::Take(
		state->caller,
		[self](const BMessage& candidate) {
			if (candidate.what == B_QUIT_REQUESTED)
				return true;
			void* alert = NULL;
			return candidate.what == kMsgAlertAnswered
				&& candidate.FindPointer("alert", &alert) == B_OK && alert == self;
		},
		B_INFINITE_TIMEOUT);

	if (message != NULL && message->what == kMsgAlertAnswered) {
		delete message;
		return;
	}
	// The caller is asked to quit (or told to): the alert gives way, and the request goes
	// back to the caller's queue for its loop to handle once Go() has returned.
	state->Answer(DismissIndex());
	if (message != NULL) {
		state->caller->PostMessage(message);
		delete message;
	}
}
