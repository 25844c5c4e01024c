#ifndef PLATFORM_HEADLESS_HOST_H
#define PLATFORM_HEADLESS_HOST_H

#include <Rect.h>

#include "host/Host.h"
#include "host/HostInput.h"

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// What the headless host knows of one window.
struct HeadlessWindowInfo {
	host_window_id id = -1;
	BRect frame;  // the content area on the screen, as the window asked for it
	std::string title;
	uint32 hints = 0;  // kHostWindow* bits
	bool open = false;  // made and not yet closed
	bool shown = false;  // on the screen
	int32 width = 0;  // of the screen copy, in pixels
	int32 height = 0;
	int32 presents = 0;  // PresentPixels calls so far
};

// A window system without a display. It keeps, per window, what the window asked for and a
// copy of every pixel presented (the screen); windows stay listed after they close. No input
// comes by itself: whoever plays the display's user (a test) reports it through Report, and
// the pointer reported so is the one GetPointer tells.
class HeadlessHost : public Host {
public:
	static HeadlessHost& Instance();

	status_t Init(const std::function<void()>& meanwhile = nullptr) override;
	void Shutdown() override;
	const char* LastError() const override;
	status_t CreateWindow(
		const HostWindowParams& params, HostInput* input, host_window_id* id) override;
	void ShowWindow(host_window_id id) override;
	void HideWindow(host_window_id id) override;
	void PresentPixels(
		host_window_id id, const uint32* pixels, int32 width, int32 height, BRect dirty) override;
	void CloseWindow(host_window_id id) override;
	bool GetPointer(host_window_id id, BPoint* where, uint32* buttons) override;

	std::vector<host_window_id> Windows() const;  // the open ones, oldest first
	bool GetWindowInfo(host_window_id id, HeadlessWindowInfo* info) const;
	// The screen copy: width * height words 0xFFRRGGBB, rows from the top; empty before the
	// first present.
	std::vector<uint32> WindowPixels(host_window_id id) const;

	// Runs report with the window's input while the window is open, under the host's lock:
	// CloseWindow waits for it, so that nothing reaches a window that has closed, and report
	// may reach the window itself meanwhile. false when the window is not open.
	bool Report(host_window_id id, const std::function<void(HostInput& input)>& report);

private:
	struct Window {
		HeadlessWindowInfo info;
		HostInput* input = NULL;  // while open
		std::vector<uint32> screen;
		BPoint pointer = BPoint(-1, -1);
		uint32 buttons = 0;
	};

	HeadlessHost();
	Window* OpenWindow(host_window_id id);

	mutable std::mutex fMutex;
	std::map<host_window_id, Window> fWindows;
	host_window_id fNextID;
};

}  // namespace platform

#endif
