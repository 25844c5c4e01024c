#ifndef PLATFORM_HOST_INPUT_H
#define PLATFORM_HOST_INPUT_H

#include <Point.h>
#include <Rect.h>
#include <SupportDefs.h>

#include <stddef.h>

namespace platform {

// Buttons and modifiers in the kits' own values, which the window side checks once, so that a
// host needs no kit header.
enum {
	kHostPrimaryButton = 0x01,
	kHostSecondaryButton = 0x02,
	kHostTertiaryButton = 0x04
};

enum {
	kHostShiftKey = 0x01,
	kHostCommandKey = 0x02,
	kHostControlKey = 0x04
};

// What one drag may hand a window; the window keeps no more. Vellumark never reads dragged
// text: a preview is plenty. A longer URI list is cut to the whole lines that fit, a longer
// text before the first UTF-8 character that would not fit whole.
const size_t kMaxDragUriListBytes = 4 * 1024 * 1024;
const size_t kMaxDragTextPreview = 64 * 1024;

// What a drag offers, as the host found it.
enum HostDragData {
	kHostDragNothingUsable,
	kHostDragUriList,  // text/uri-list: the list's bytes, raw
	kHostDragText  // UTF-8 text
};

// What a host reports of one window, given to it at CreateWindow. A host calls it from its
// own thread, in the order things happened, and not at all once CloseWindow has returned.
// Positions are in the window's coordinates; `when` is in microseconds on system_time()'s
// clock; `buttons` and `modifiers` are kHost* bits.
class HostInput {
public:
	virtual void PointerMoved(BPoint where, uint32 buttons, uint32 modifiers, bigtime_t when) = 0;
	// buttons: every button down after the change.
	virtual void ButtonDown(BPoint where, uint32 buttons, uint32 modifiers, bigtime_t when) = 0;
	virtual void ButtonUp(BPoint where, uint32 buttons, uint32 modifiers, bigtime_t when) = 0;
	// bytes: the UTF-8 character the key makes, never empty (Return is '\n', Backspace '\b',
	// Tab '\t', Escape 0x1b); rawChar: the key's byte without modifiers, 0 when none; key:
	// the host's code of the key.
	virtual void KeyDown(
		const char* bytes, uint32 rawChar, int32 key, uint32 modifiers, bigtime_t when) = 0;
	virtual void CloseRequested() = 0;  // the close box; the window decides
	virtual void Exposed(BRect rect) = 0;  // shown before any present: paint it
	// Once per drag, before its first motion or its drop: what is dragged, raw.
	virtual void DragData(HostDragData kind, const char* bytes, size_t length) = 0;
	virtual void DragMoved(BPoint where) = 0;
	virtual void DragExited() = 0;
	virtual void Dropped(BPoint where) = 0;  // the drag's data, dropped; the drag ends

protected:
	~HostInput() {}  // the window owns it, never the host
};

}  // namespace platform

#endif
