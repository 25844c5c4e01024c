#ifndef PLATFORM_WINDOW_INPUT_H
#define PLATFORM_WINDOW_INPUT_H

#include <Point.h>

#include <memory>

#include "interface/TransitTracker.h"

class BMessage;
class BView;

namespace platform {

class WindowData;

// Turns the host's pointer, key and drag messages into view hooks, and keeps the pointer
// state that GetMouse reads.
class WindowInput {
public:
	explicit WindowInput(WindowData* data);
	~WindowInput();

	void MouseDown(BMessage* message);
	void MouseUp(BMessage* message);
	void MouseMoved(BMessage* message);
	void KeyDown(BMessage* message);
	void DragData(BMessage* message);
	void DragMotion(BMessage* message);
	void DragExit();
	void Drop(BMessage* message);

	// The pointer in window coordinates: the oldest queued pointer message when
	// checkQueue (which it consumes), else the host's live state, else the last known one.
	void ReadPointer(bool checkQueue, BPoint* where, uint32* buttons);

	void ForgetView(const BView* view);

private:
	void TakePointerState(const BMessage* message);
	bool TakeQueuedPointerMessage();

	WindowData* fData;
	BPoint fWhere;
	uint32 fButtons;
	TransitTracker fPointerViews;
	TransitTracker fDragViews;
	std::unique_ptr<BMessage> fDragMessage;
	BPoint fDragWhere;
};

}  // namespace platform

#endif
