#include "host/choice/DisplayOrHeadlessHost.h"

#include <stdio.h>
#include <stdlib.h>

namespace platform {

DisplayOrHeadlessHost::DisplayOrHeadlessHost(Host& display, Host& headless,
	std::function<bool(std::string*)> hasWorkWithoutDisplay,
	std::function<std::string()> programName) :
	fDisplay(display),
	fHeadless(headless),
	fHasWorkWithoutDisplay(std::move(hasWorkWithoutDisplay)),
	fProgramName(std::move(programName)),
	fInitDone(false),
	fInitStatus(B_NO_INIT),
	fActive(&display)
{
}

status_t DisplayOrHeadlessHost::Init(const std::function<void()>& meanwhile)
{
	std::lock_guard<std::mutex> lock(fInitLock);
	if (fInitDone)
		return fInitStatus;
	fInitDone = true;

	fInitStatus = fDisplay.Init(meanwhile);
	if (fInitStatus == B_OK)
		return fInitStatus;
	fLastError = fDisplay.LastError();
	std::string whyNot;
	if (!fHasWorkWithoutDisplay(&whyNot)) {
		if (!whyNot.empty())
			fLastError += "; " + whyNot;
		return fInitStatus;
	}

	// No display at all is the expected case for a script or a remote shell and needs no
	// word; a display that was named but did not answer may surprise the user.
	const char* display = getenv("DISPLAY");
	const char* wayland = getenv("WAYLAND_DISPLAY");
	if ((display != NULL && display[0] != '\0') || (wayland != NULL && wayland[0] != '\0')) {
		fprintf(stderr, "%s: cannot open the display: %s; handling the files without it\n",
			fProgramName().c_str(), fLastError.c_str());
	}
	fInitStatus = fHeadless.Init();
	if (fInitStatus == B_OK) {
		fLastError.clear();
		fActive.store(&fHeadless);
	}
	return fInitStatus;
}

void DisplayOrHeadlessHost::Shutdown()
{
	Active().Shutdown();
}

const char* DisplayOrHeadlessHost::LastError() const
{
	return fLastError.c_str();
}

status_t DisplayOrHeadlessHost::CreateWindow(
	const HostWindowParams& params, HostInput* input, host_window_id* id)
{
	status_t status = Init();
	if (status != B_OK)
		return status;
	return Active().CreateWindow(params, input, id);
}

void DisplayOrHeadlessHost::ShowWindow(host_window_id id)
{
	Active().ShowWindow(id);
}

void DisplayOrHeadlessHost::HideWindow(host_window_id id)
{
	Active().HideWindow(id);
}

void DisplayOrHeadlessHost::PresentPixels(
	host_window_id id, const uint32* pixels, int32 width, int32 height, BRect dirty)
{
	Active().PresentPixels(id, pixels, width, height, dirty);
}

void DisplayOrHeadlessHost::CloseWindow(host_window_id id)
{
	Active().CloseWindow(id);
}

bool DisplayOrHeadlessHost::GetPointer(host_window_id id, BPoint* where, uint32* buttons)
{
	return Active().GetPointer(id, where, buttons);
}

}  // namespace platform
