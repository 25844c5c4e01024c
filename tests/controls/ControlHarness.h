#ifndef CONTROL_HARNESS_H
#define CONTROL_HARNESS_H

#include <Control.h>
#include <Message.h>
#include <Window.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "host/headless/HeadlessHost.h"

namespace control_test {

const BRect kControlFrame(10, 10, 90, 30);  // in the window
const BPoint kInside(50, 20);
const BPoint kOutside(150, 50);  // in the window, off the control
const uint32 kViewColour = 0xFFD8D8D8;

// One control in a shown window on the headless host, at kControlFrame, on a grey view that
// is both its parent and its target: the view keeps what the control sends it or hands on.
class ControlHarness {
public:
	explicit ControlHarness(BControl* control);
	~ControlHarness();

	platform::HeadlessHost& Host() const { return platform::HeadlessHost::Instance(); }
	platform::host_window_id Id() const { return fId; }
	BControl* Control() const { return fControl; }
	void Idle() const;
	void OnWindowThread(const std::function<void()>& fn) const;
	std::vector<uint32> ControlPixels() const;  // from the screen copy
	// Plays a pointer script: steps "verb place" separated by ';', place being in (over the
	// control), out (elsewhere in the window) or off (beyond the window). Verbs: move, down,
	// up, click, click2 (secondary button), buttonsN (the pointer with buttons N down),
	// text (a text drag moving there), drag (a drag of fileDrag moving there), drop and
	// droptext (fileDrag or a text dropped there), exit (the drag leaves).
	void Play(const std::string& script, const BMessage& fileDrag = BMessage()) const;
	std::vector<BMessage> Received() const;

private:
	class Background;

	BWindow* fWindow;
	BControl* fControl;
	platform::host_window_id fId;
	mutable std::mutex fLock;
	std::vector<BMessage> fReceived;
};

// The four looks of a flat button (and of a drop box, which draws as one).
enum Look {
	kFlatEnabled,
	kFlatDisabled,
	kRaised,
	kPressed
};

// Checks the drawing rules of a look on a control's pixels: the colours of its corners,
// edges, frames and face, at points the label never reaches. Empty when they hold; else
// the points that break them.
std::string LookProblems(const std::vector<uint32>& pixels, Look look);

// The smallest rectangle holding the label's dark pixels (inside the frames), and the
// darkest of them; an invalid rectangle when there are none.
BRect LabelInk(const std::vector<uint32>& pixels, uint32* darkest = NULL);

}  // namespace control_test

#endif
