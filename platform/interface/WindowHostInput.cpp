#include "interface/WindowHostInput.h"

#include <AppDefs.h>
#include <InterfaceDefs.h>
#include <Looper.h>
#include <Message.h>
#include <TypeConstants.h>

#include "interface/WindowMessages.h"

#include <string_view>

namespace platform {

namespace {

// The host reports input in the kits' own values without including the kits' headers.
static_assert(int(kHostPrimaryButton) == int(B_PRIMARY_MOUSE_BUTTON)
		&& int(kHostSecondaryButton) == int(B_SECONDARY_MOUSE_BUTTON)
		&& int(kHostTertiaryButton) == int(B_TERTIARY_MOUSE_BUTTON),
	"host buttons");
static_assert(int(kHostShiftKey) == int(B_SHIFT_KEY) && int(kHostCommandKey) == int(B_COMMAND_KEY)
		&& int(kHostControlKey) == int(B_CONTROL_KEY),
	"host modifiers");
static_assert(
	B_ENTER == '\n' && B_BACKSPACE == '\b' && B_TAB == '\t' && B_ESCAPE == 0x1b, "host key bytes");

// Whole lines only: a cut path could name another file.
size_t UriListLength(const char* list, size_t length)
{
	if (length <= kMaxDragUriListBytes)
		return length;
	size_t end = std::string_view(list, kMaxDragUriListBytes).find_last_of("\r\n");
	return end == std::string_view::npos ? 0 : end + 1;
}

size_t TextPreviewLength(const char* text, size_t length)
{
	if (length <= kMaxDragTextPreview)
		return length;
	size_t cut = kMaxDragTextPreview;
	while (cut > 0 && ((unsigned char)text[cut] & 0xC0) == 0x80)
		cut--;
	return cut;
}

}  // namespace

WindowHostInput::WindowHostInput(BLooper* window) :
	fWindow(window)
{
}

WindowHostInput::~WindowHostInput()
{
}

void WindowHostInput::PointerMoved(BPoint where, uint32 buttons, uint32 modifiers, bigtime_t when)
{
	PostPointer(B_MOUSE_MOVED, where, buttons, modifiers, when);
}

void WindowHostInput::ButtonDown(BPoint where, uint32 buttons, uint32 modifiers, bigtime_t when)
{
	PostPointer(B_MOUSE_DOWN, where, buttons, modifiers, when);
}

void WindowHostInput::ButtonUp(BPoint where, uint32 buttons, uint32 modifiers, bigtime_t when)
{
	PostPointer(B_MOUSE_UP, where, buttons, modifiers, when);
}

void WindowHostInput::KeyDown(
	const char* bytes, uint32 rawChar, int32 key, uint32 modifiers, bigtime_t when)
{
	if (bytes == NULL || bytes[0] == '\0')
		return;
	BMessage message(B_KEY_DOWN);
	message.AddString("bytes", bytes);
	message.AddInt32("raw_char", (int32)rawChar);
	message.AddInt32("key", key);
	message.AddInt32("modifiers", (int32)modifiers);
	message.AddInt64("when", when);
	fWindow->PostMessage(&message);
}

void WindowHostInput::CloseRequested()
{
	fWindow->PostMessage(B_QUIT_REQUESTED);
}

void WindowHostInput::Exposed(BRect rect)
{
	BMessage message(kMsgWindowExpose);
	message.AddRect("rect", rect);
	fWindow->PostMessage(&message);
}

void WindowHostInput::DragData(HostDragData kind, const char* bytes, size_t length)
{
	BMessage message(kMsgWindowDragData);
	if (bytes == NULL)
		kind = kHostDragNothingUsable;
	if (kind == kHostDragUriList)
		message.AddData("uri-list", B_RAW_TYPE, bytes, (ssize_t)UriListLength(bytes, length));
	else if (kind == kHostDragText)
		message.AddData("text", B_RAW_TYPE, bytes, (ssize_t)TextPreviewLength(bytes, length));
	fWindow->PostMessage(&message);
}

void WindowHostInput::DragMoved(BPoint where)
{
	BMessage message(kMsgWindowDragMotion);
	message.AddPoint("where", where);
	fWindow->PostMessage(&message);
}

void WindowHostInput::DragExited()
{
	fWindow->PostMessage(kMsgWindowDragExit);
}

void WindowHostInput::Dropped(BPoint where)
{
	BMessage message(kMsgWindowDrop);
	message.AddPoint("where", where);
	fWindow->PostMessage(&message);
}

void WindowHostInput::PostPointer(
	uint32 what, BPoint where, uint32 buttons, uint32 modifiers, bigtime_t when)
{
	BMessage message(what);
	message.AddPoint("where", where);
	message.AddInt32("buttons", (int32)buttons);
	message.AddInt64("when", when);
	message.AddInt32("modifiers", (int32)modifiers);
	fWindow->PostMessage(&message);
}

}  // namespace platform
