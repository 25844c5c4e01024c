#include "interface/HostWindowLink.h"

#include "interface/BackBuffer.h"

namespace platform {

HostWindowLink::HostWindowLink(BLooper* window) :
	fInput(window),
	fID(-1),
	fOpened(false),
	fClosed(false)
{
}

HostWindowLink::~HostWindowLink()
{
	Close();
}

uint32 HostWindowLink::HintsFor(window_look look, window_feel feel, uint32 flags)
{
	uint32 hints = 0;
	if (look == B_NO_BORDER_WINDOW_LOOK || look == B_BORDERED_WINDOW_LOOK)
		hints |= kHostWindowUndecorated;
	if (look == B_MODAL_WINDOW_LOOK || feel == B_MODAL_APP_WINDOW_FEEL
		|| feel == B_MODAL_SUBSET_WINDOW_FEEL || feel == B_MODAL_ALL_WINDOW_FEEL)
		hints |= kHostWindowDialog;
	else if (look == B_FLOATING_WINDOW_LOOK)
		hints |= kHostWindowUtility;
	if (feel == B_MODAL_ALL_WINDOW_FEEL || feel == B_FLOATING_ALL_WINDOW_FEEL)
		hints |= kHostWindowKeepAbove;
	if (flags & B_NOT_CLOSABLE)
		hints |= kHostWindowNotClosable;
	if (flags & B_AVOID_FOCUS)
		hints |= kHostWindowAvoidFocus;
	return hints;
}

status_t HostWindowLink::Open(BRect frame, const char* title, uint32 hints)
{
	if (fOpened)
		return B_OK;
	Host& host = TheHost();
	host.Init();
	HostWindowParams params;
	params.frame = frame;
	params.title = title;
	params.hints = hints;
	status_t status = host.CreateWindow(params, &fInput, &fID);
	fOpened = status == B_OK;
	return status;
}

void HostWindowLink::Show()
{
	if (IsOpen())
		TheHost().ShowWindow(fID);
}

void HostWindowLink::Hide()
{
	if (IsOpen())
		TheHost().HideWindow(fID);
}

void HostWindowLink::Present(const BackBuffer& buffer, BRect dirty)
{
	if (IsOpen())
		TheHost().PresentPixels(fID, buffer.Pixels(), buffer.Width(), buffer.Height(), dirty);
}

bool HostWindowLink::GetPointer(BPoint* where, uint32* buttons)
{
	return IsOpen() && TheHost().GetPointer(fID, where, buttons);
}

void HostWindowLink::Close()
{
	if (!IsOpen())
		return;
	fClosed = true;
	TheHost().CloseWindow(fID);
}

}  // namespace platform
