#include "host/headless/HeadlessHost.h"

#include <math.h>

#include <algorithm>

namespace platform {

namespace {

// The input as the display reports it: the window hears every call, and the pointer's calls
// are the pointer that the display knows.
class PointerKeepingInput : public HostInput {
public:
	PointerKeepingInput(HostInput& window, BPoint* pointer, uint32* buttons) :
		fWindow(window),
		fPointer(pointer),
		fButtons(buttons)
	{
	}
	void PointerMoved(BPoint where, uint32 buttons, uint32 modifiers, bigtime_t when) override
	{
		Keep(where, buttons);
		fWindow.PointerMoved(where, buttons, modifiers, when);
	}
	void ButtonDown(BPoint where, uint32 buttons, uint32 modifiers, bigtime_t when) override
	{
		Keep(where, buttons);
		fWindow.ButtonDown(where, buttons, modifiers, when);
	}
	void ButtonUp(BPoint where, uint32 buttons, uint32 modifiers, bigtime_t when) override
	{
		Keep(where, buttons);
		fWindow.ButtonUp(where, buttons, modifiers, when);
	}
	void KeyDown(
		const char* bytes, uint32 rawChar, int32 key, uint32 modifiers, bigtime_t when) override
	{
		fWindow.KeyDown(bytes, rawChar, key, modifiers, when);
	}
	void CloseRequested() override { fWindow.CloseRequested(); }
	void Exposed(BRect rect) override { fWindow.Exposed(rect); }
	void DragData(HostDragData kind, const char* bytes, size_t length) override
	{
		fWindow.DragData(kind, bytes, length);
	}
	void DragMoved(BPoint where) override { fWindow.DragMoved(where); }
	void DragExited() override { fWindow.DragExited(); }
	void Dropped(BPoint where) override { fWindow.Dropped(where); }

private:
	void Keep(BPoint where, uint32 buttons)
	{
		*fPointer = where;
		*fButtons = buttons;
	}

	HostInput& fWindow;
	BPoint* fPointer;
	uint32* fButtons;
};

}  // namespace

// Never destroyed: windows may still close while static destruction runs.
HeadlessHost& HeadlessHost::Instance()
{
	static HeadlessHost* host = new HeadlessHost;
	return *host;
}

HeadlessHost::HeadlessHost() :
	fNextID(1)
{
}

// Connects at once: nothing to overlap with the caller's work.
status_t HeadlessHost::Init(const std::function<void()>&)
{
	return B_OK;
}

void HeadlessHost::Shutdown()
{
}

const char* HeadlessHost::LastError() const
{
	return "";
}

status_t HeadlessHost::CreateWindow(
	const HostWindowParams& params, HostInput* input, host_window_id* id)
{
	if (input == NULL || id == NULL)
		return B_BAD_VALUE;
	std::lock_guard<std::mutex> lock(fMutex);
	Window& window = fWindows[fNextID];
	window.info.id = fNextID++;
	window.info.frame = params.frame;
	window.info.title = params.title != NULL ? params.title : "";
	window.info.hints = params.hints;
	window.info.open = true;
	window.input = input;
	*id = window.info.id;
	return B_OK;
}

void HeadlessHost::ShowWindow(host_window_id id)
{
	std::lock_guard<std::mutex> lock(fMutex);
	if (Window* window = OpenWindow(id))
		window->info.shown = true;
}

void HeadlessHost::HideWindow(host_window_id id)
{
	std::lock_guard<std::mutex> lock(fMutex);
	if (Window* window = OpenWindow(id))
		window->info.shown = false;
}

void HeadlessHost::PresentPixels(
	host_window_id id, const uint32* pixels, int32 width, int32 height, BRect dirty)
{
	std::lock_guard<std::mutex> lock(fMutex);
	Window* window = OpenWindow(id);
	if (window == NULL || pixels == NULL || width <= 0 || height <= 0)
		return;
	if (window->info.width != width || window->info.height != height) {
		window->info.width = width;
		window->info.height = height;
		window->screen.assign((size_t)width * (size_t)height, 0);
	}
	int32 left = std::max<int32>(0, (int32)floorf(dirty.left));
	int32 top = std::max<int32>(0, (int32)floorf(dirty.top));
	int32 right = std::min<int32>(width - 1, (int32)ceilf(dirty.right));
	int32 bottom = std::min<int32>(height - 1, (int32)ceilf(dirty.bottom));
	for (int32 y = top; y <= bottom; y++) {
		const uint32* from = pixels + (size_t)y * width;
		std::copy(from + left, from + right + 1, window->screen.begin() + (size_t)y * width + left);
	}
	window->info.presents++;
}

void HeadlessHost::CloseWindow(host_window_id id)
{
	std::lock_guard<std::mutex> lock(fMutex);
	if (Window* window = OpenWindow(id)) {
		window->info.open = false;
		window->info.shown = false;
		window->input = NULL;
	}
}

bool HeadlessHost::GetPointer(host_window_id id, BPoint* where, uint32* buttons)
{
	std::lock_guard<std::mutex> lock(fMutex);
	Window* window = OpenWindow(id);
	if (window == NULL || where == NULL || buttons == NULL)
		return false;
	*where = window->pointer;
	*buttons = window->buttons;
	return true;
}

std::vector<host_window_id> HeadlessHost::Windows() const
{
	std::lock_guard<std::mutex> lock(fMutex);
	std::vector<host_window_id> ids;
	for (const auto& entry : fWindows) {
		if (entry.second.info.open)
			ids.push_back(entry.first);
	}
	return ids;
}

bool HeadlessHost::GetWindowInfo(host_window_id id, HeadlessWindowInfo* info) const
{
	std::lock_guard<std::mutex> lock(fMutex);
	auto found = fWindows.find(id);
	if (found == fWindows.end() || info == NULL)
		return false;
	*info = found->second.info;
	return true;
}

std::vector<uint32> HeadlessHost::WindowPixels(host_window_id id) const
{
	std::lock_guard<std::mutex> lock(fMutex);
	auto found = fWindows.find(id);
	return found != fWindows.end() ? found->second.screen : std::vector<uint32>();
}

bool HeadlessHost::Report(host_window_id id, const std::function<void(HostInput& input)>& report)
{
	std::lock_guard<std::mutex> lock(fMutex);
	Window* window = OpenWindow(id);
	if (window == NULL)
		return false;
	PointerKeepingInput input(*window->input, &window->pointer, &window->buttons);
	report(input);
	return true;
}

HeadlessHost::Window* HeadlessHost::OpenWindow(host_window_id id)
{
	auto found = fWindows.find(id);
	return found != fWindows.end() && found->second.info.open ? &found->second : NULL;
}

}  // namespace platform
