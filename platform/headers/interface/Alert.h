#ifndef _ALERT_H
#define _ALERT_H

#include <InterfaceDefs.h>
#include <Window.h>

#include <string>
#include <vector>

class BBitmap;

enum alert_type {
	B_EMPTY_ALERT = 0,
	B_INFO_ALERT,
	B_IDEA_ALERT,
	B_WARNING_ALERT,
	B_STOP_ALERT
};

namespace platform {
class AlertView;
}

// A small modal window with a text, an icon and up to three buttons. Go() shows it, blocks
// until a button is pressed, deletes the alert and returns the button's index.
class BAlert : public BWindow {
public:
	BAlert(const char* title, const char* text, const char* button0, const char* button1 = NULL,
		const char* button2 = NULL, button_width width = B_WIDTH_AS_USUAL,
		alert_type type = B_INFO_ALERT);
	virtual ~BAlert();

	void SetShortcut(int32 buttonIndex, char key);
	char Shortcut(int32 buttonIndex) const;
	int32 CountButtons() const;
	const char* ButtonLabel(int32 index) const;
	const char* Text() const;
	alert_type Type() const;

	int32 Go();

	virtual void MessageReceived(BMessage* message);
	virtual void DispatchMessage(BMessage* message, BHandler* handler);
	virtual bool QuitRequested();

private:
	friend class platform::AlertView;
	struct GoState;

	void ButtonPressed(int32 index);
	// Hands the answer to a Go() waiting for it; false when nobody waits.
	bool AnswerWaitingCaller(int32 index);
	int32 DismissIndex() const;
	void WaitInQueue(GoState* state);

	std::string fText;
	std::vector<std::string> fLabels;
	std::vector<char> fShortcuts;
	alert_type fType;
	button_width fWidth;
	platform::AlertView* fView;
	GoState* fGoState;
};

#endif
