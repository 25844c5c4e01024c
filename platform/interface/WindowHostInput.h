#ifndef PLATFORM_WINDOW_HOST_INPUT_H
#define PLATFORM_WINDOW_HOST_INPUT_H

#include "host/HostInput.h"

class BLooper;

namespace platform {

// The window's end of the host's input: each call becomes the message the window hands to its
// input (see WindowMessages.h), posted to the window's own queue, so that input is handled on
// the window's thread in the order the host reported it. Dragged data is cut to its bounds
// here, before it is copied. Any thread may call.
class WindowHostInput : public HostInput {
public:
	explicit WindowHostInput(BLooper* window);
	virtual ~WindowHostInput();

	void PointerMoved(BPoint where, uint32 buttons, uint32 modifiers, bigtime_t when) override;
	void ButtonDown(BPoint where, uint32 buttons, uint32 modifiers, bigtime_t when) override;
	void ButtonUp(BPoint where, uint32 buttons, uint32 modifiers, bigtime_t when) override;
	void KeyDown(
		const char* bytes, uint32 rawChar, int32 key, uint32 modifiers, bigtime_t when) override;
	void CloseRequested() override;
	void Exposed(BRect rect) override;
	void DragData(HostDragData kind, const char* bytes, size_t length) override;
	void DragMoved(BPoint where) override;
	void DragExited() override;
	void Dropped(BPoint where) override;

private:
	void PostPointer(uint32 what, BPoint where, uint32 buttons, uint32 modifiers, bigtime_t when);

	BLooper* fWindow;
};

}  // namespace platform

#endif
