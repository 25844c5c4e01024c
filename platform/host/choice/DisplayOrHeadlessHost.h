#ifndef PLATFORM_DISPLAY_OR_HEADLESS_HOST_H
#define PLATFORM_DISPLAY_OR_HEADLESS_HOST_H

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

#include "host/Host.h"

namespace platform {

// Runs on the display host when a display opens. When none does and there is work that
// needs no one to look at it (files handed over at launch), the application runs on the
// headless host instead: its window is made and shown there, the files are handled as on a
// display, and the application quits as it always does after them. Without such work the
// display's failure stands (with the reason there is no such work, if any), and the
// application ends with it.
class DisplayOrHeadlessHost : public Host {
public:
	DisplayOrHeadlessHost(Host& display, Host& headless,
		std::function<bool(std::string* whyNot)> hasWorkWithoutDisplay,
		std::function<std::string()> programName);

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

private:
	Host& Active() { return *fActive.load(); }

	Host& fDisplay;
	Host& fHeadless;
	std::function<bool(std::string*)> fHasWorkWithoutDisplay;
	std::function<std::string()> fProgramName;

	std::mutex fInitLock;
	bool fInitDone;
	status_t fInitStatus;
	std::string fLastError;
	std::atomic<Host*> fActive;  // the display until Init chooses
};

}  // namespace platform

#endif
