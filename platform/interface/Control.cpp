#include <Control.h>

#include <Message.h>
#include <Window.h>

BControl::BControl(BRect frame, const char* name, const char* label, BMessage* message,
	uint32 resizingMode, uint32 flags) :
	BView(frame, name, resizingMode, flags),
	BInvoker(message, NULL, NULL),
	fLabel(label != NULL ? label : ""),
	fHasLabel(label != NULL),
	fEnabled(true)
{
}

BControl::~BControl()
{
}

// A control given no target sends to its window.
void BControl::AttachedToWindow()
{
	BLooper* looper = NULL;
	if (Target(&looper) == NULL && looper == NULL)
		SetTarget(Window());
	BView::AttachedToWindow();
}

void BControl::MessageReceived(BMessage* message)
{
	BView::MessageReceived(message);
}

void BControl::MouseDown(BPoint where)
{
	BView::MouseDown(where);
}

const char* BControl::Label() const
{
	return fHasLabel ? fLabel.c_str() : NULL;
}

void BControl::SetEnabled(bool enabled)
{
	if (enabled == fEnabled)
		return;
	fEnabled = enabled;
	Invalidate();
}

bool BControl::IsEnabled() const
{
	return fEnabled;
}

// The message is copied on its way: the control keeps its own.
status_t BControl::Invoke(BMessage* message)
{
	return BInvoker::Invoke(message);
}
