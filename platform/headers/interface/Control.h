#ifndef _CONTROL_H
#define _CONTROL_H

#include <Invoker.h>
#include <View.h>

#include <string>

enum {
	B_CONTROL_OFF = 0,
	B_CONTROL_ON = 1
};

// A view that is also an invoker: a label, a value, an enabled flag, and a message (owned)
// sent to its target, which defaults to the window once the control is attached.
class BControl : public BView, public BInvoker {
public:
	BControl(BRect frame, const char* name, const char* label, BMessage* message,
		uint32 resizingMode, uint32 flags);
	virtual ~BControl();

	virtual void AttachedToWindow();
	virtual void MessageReceived(BMessage* message);
	virtual void MouseDown(BPoint where);

	const char* Label() const;
	virtual void SetEnabled(bool enabled);
	bool IsEnabled() const;

	virtual status_t Invoke(BMessage* message = NULL);

private:
	std::string fLabel;
	bool fHasLabel;
	bool fEnabled;
};

#endif
