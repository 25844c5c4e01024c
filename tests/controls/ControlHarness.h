#ifndef CONTROL_HARNESS_H
#define CONTROL_HARNESS_H

#include <Message.h>
#include <View.h>
#include <Window.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "host/headless/HeadlessHost.h"

namespace control_test {

const rgb_color kViewColor = {216, 216, 216, 255};
const BRect kControlFrame(10, 10, 90, 30);  // in the window

// Records every message that reaches it, in order.
class MessageLog {
public:
	void Add(const BMessage* message);
	std::vector<BMessage> Messages() const;
	int32 Count(uint32 what) const;

private:
	mutable std::mutex fMutex;
	std::vector<BMessage> fMessages;
};

// A grey background view that logs what its children hand on to it.
class RecordingView : public BView {
public:
	RecordingView(BRect frame, MessageLog* log);
	virtual void MessageReceived(BMessage* message);

private:
	MessageLog* fLog;
};

// A window whose MessageReceived logs what controls send it.
class RecordingWindow : public BWindow {
public:
	RecordingWindow(BRect frame, const char* title, MessageLog* log);
	virtual void MessageReceived(BMessage* message);

private:
	MessageLog* fLog;
};

// One control in a shown window on the headless host, at kControlFrame.
class ControlHarness {
public:
	explicit ControlHarness(BView* control);
	~ControlHarness();

	platform::HeadlessHost& Host() const { return platform::HeadlessHost::Instance(); }
	platform::host_window_id Id() const { return fId; }
	BView* Control() const { return fControl; }
	void Idle() const;
	void OnWindowThread(const std::function<void()>& fn) const;
	// The control's pixels, read from the screen copy.
	std::vector<uint32> ControlPixels() const;
	BPoint Inside() const { return BPoint(50, 20); }
	// Plays a pointer script: steps "verb place" separated by ';', place being in (over the
	// control), out (elsewhere in the window) or off (beyond the window). Verbs: move, down,
	// up, click, click2 (secondary button), buttonsN (the pointer with buttons N down),
	// text (a text drag moving there), drag (a drag of fileDrag), exit (the drag leaves).
	void Play(const std::string& script, const BMessage& fileDrag = BMessage()) const;
	BPoint Outside() const { return BPoint(150, 50); }

	MessageLog windowLog;
	MessageLog parentLog;

private:
	RecordingWindow* fWindow;
	BView* fControl;
	platform::host_window_id fId;
};

// The four looks of a flat button (and of a drop box, which draws as one).
enum Look {
	kFlatEnabled,
	kFlatDisabled,
	kRaised,
	kPressed
};

uint32 Packed(rgb_color color);

// Checks the drawing rules of a look on a control's pixels: the colours of its corners,
// edges, frames and face, at points the label never reaches. Empty when they hold; else
// the points that break them.
std::string LookProblems(const std::vector<uint32>& pixels, Look look);

// The smallest rectangle holding the label's dark pixels (inside the frames), and the
// darkest of them; an invalid rectangle when there are none.
BRect LabelInk(const std::vector<uint32>& pixels, uint32* darkest = NULL);

}  // namespace control_test

#endif
