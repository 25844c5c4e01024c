#ifndef PLATFORM_HOST_WINDOW_LINK_H
#define PLATFORM_HOST_WINDOW_LINK_H

#include <Rect.h>
#include <Window.h>

#include "host/Host.h"
#include "interface/WindowHostInput.h"

namespace platform {

class BackBuffer;

// A window's link to its window on the host, made once and closed once. Until it is made and
// once it is closed, every call does nothing; once Close returns, the host reports nothing
// more to the window.
class HostWindowLink {
public:
	explicit HostWindowLink(BLooper* window);
	~HostWindowLink();

	// What a window's look, feel and flags ask of the window system: kHostWindow* bits.
	static uint32 HintsFor(window_look look, window_feel feel, uint32 flags);

	status_t Open(BRect frame, const char* title, uint32 hints);
	bool IsOpen() const { return fOpened && !fClosed; }
	void Show();
	void Hide();
	void Present(const BackBuffer& buffer, BRect dirty);
	// The host's live pointer in window coordinates; false when it cannot tell.
	bool GetPointer(BPoint* where, uint32* buttons);
	void Close();

private:
	HostWindowLink(const HostWindowLink&) = delete;
	HostWindowLink& operator=(const HostWindowLink&) = delete;

	WindowHostInput fInput;
	host_window_id fID;
	bool fOpened;
	bool fClosed;
};

}  // namespace platform

#endif
