#ifndef PLATFORM_HOST_H
#define PLATFORM_HOST_H

#include <Rect.h>
#include <SupportDefs.h>

#include <functional>

namespace platform {

class HostInput;

typedef int32 host_window_id;

// How a window wants to be treated by the window system, worked out by the window side from
// its look, feel and flags.
enum {
	kHostWindowUndecorated = 0x01,  // no title bar or frame from the window manager
	kHostWindowDialog = 0x02,
	kHostWindowUtility = 0x04,
	kHostWindowKeepAbove = 0x08,
	kHostWindowNotClosable = 0x10,
	kHostWindowAvoidFocus = 0x20
};

struct HostWindowParams {
	BRect frame;  // the content area in screen coordinates (edges included)
	const char* title;
	uint32 hints;  // kHostWindow* bits
};

// The one narrow interface between the kits and a window system. Every call may come from
// any thread; the host serialises them onto its own display thread. The host talks back only
// through the HostInput given at CreateWindow (see HostInput.h); after CloseWindow returns,
// it calls nothing more of it.
class Host {
public:
	virtual ~Host() {}

	// Connects to the window system (once; later calls return the first result). On failure
	// the caller prints one line and exits non-zero. A host that takes a while to connect runs
	// meanwhile on the calling thread (work the first frame needs); the caller must not count
	// on it running.
	virtual status_t Init(const std::function<void()>& meanwhile = nullptr) = 0;
	virtual void Shutdown() = 0;
	// A one-line reason for the last failure of Init, for the user.
	virtual const char* LastError() const = 0;

	virtual status_t CreateWindow(
		const HostWindowParams& params, HostInput* input, host_window_id* id) = 0;
	virtual void ShowWindow(host_window_id id) = 0;
	virtual void HideWindow(host_window_id id) = 0;
	// Copies the changed part of the window's back buffer (0xAARRGGBB words, width * height,
	// rows from the top) to the screen.
	virtual void PresentPixels(
		host_window_id id, const uint32* pixels, int32 width, int32 height, BRect dirty) = 0;
	virtual void CloseWindow(host_window_id id) = 0;
	// The live pointer state in the window's coordinates, also outside the window while a
	// button is held. false when the host cannot tell.
	virtual bool GetPointer(host_window_id id, BPoint* where, uint32* buttons) = 0;
};

// The host this executable was built with (see root/, the composition of each executable).
Host& TheHost();

}  // namespace platform

#endif
