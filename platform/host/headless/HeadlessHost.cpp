#include "host/headless/HeadlessHost.h"

#include <Handler.h>
#include <Looper.h>
#include <OS.h>

#include <math.h>
#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <chrono>

#include "app/LooperQueue.h"
#include "interface/WindowHostInput.h"
#include "interface/WindowMessages.h"

namespace platform {

namespace {

const uint32 kMsgCall = 'hCAL';  // "token" (int32): the host's own, for its CallHandler

}  // namespace

// Added to each window's looper, so that a test's call reaches the window's thread as a
// message for it: the window hands messages for other handlers on unread. A call waits its
// turn until nothing but other calls is queued, so that what the messages before it led to
// (an update, a message the window posted itself) has been handled too. Calls do not wait
// for each other: two of them (one whose waiter gave up, say) would pass each other by for
// ever, and the window would never be idle again.
class HeadlessHost::CallHandler : public BHandler {
public:
	CallHandler() :
		BHandler("headless host calls")
	{
	}
	void MessageReceived(BMessage* message) override
	{
		int32 token = 0;
		if (message->what != kMsgCall || message->FindInt32("token", &token) != B_OK) {
			BHandler::MessageReceived(message);
			return;
		}
		if (LooperQueue::CountFor(*Looper(), this) > 0
			&& Looper()->PostMessage(message, this) == B_OK)
			return;
		Instance().RunCall(token);
	}
};

// Never destroyed: windows may still close while static destruction runs.
HeadlessHost& HeadlessHost::Instance()
{
	static HeadlessHost* host = new HeadlessHost;
	return *host;
}

HeadlessHost::HeadlessHost() :
	fNextID(1),
	fNextCall(1)
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
	BLooper* target = input != NULL ? static_cast<WindowHostInput*>(input)->Window() : NULL;
	if (target == NULL || id == NULL)
		return B_BAD_VALUE;
	std::lock_guard<std::mutex> lock(fMutex);
	Window window;
	window.info.id = fNextID++;
	window.info.frame = params.frame;
	window.info.title = params.title != NULL ? params.title : "";
	window.info.hints = params.hints;
	window.info.open = true;
	window.input = input;
	window.target = target;
	// Before the window's thread runs: the looper is the caller's alone.
	window.caller = new CallHandler;
	target->AddHandler(window.caller);
	*id = window.info.id;
	fWindows[window.info.id] = window;
	fChanged.notify_all();
	return B_OK;
}

void HeadlessHost::ShowWindow(host_window_id id)
{
	std::lock_guard<std::mutex> lock(fMutex);
	if (Window* window = OpenWindow(id))
		window->info.shown = true;
	fChanged.notify_all();
}

void HeadlessHost::HideWindow(host_window_id id)
{
	std::lock_guard<std::mutex> lock(fMutex);
	if (Window* window = OpenWindow(id))
		window->info.shown = false;
	fChanged.notify_all();
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
	fChanged.notify_all();
}

void HeadlessHost::CloseWindow(host_window_id id)
{
	std::lock_guard<std::mutex> lock(fMutex);
	if (Window* window = OpenWindow(id)) {
		window->info.open = false;
		window->info.shown = false;
		window->target = NULL;
		window->input = NULL;
	}
	fChanged.notify_all();
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
	std::vector<host_window_id> open;
	for (const auto& entry : fWindows) {
		if (entry.second.info.open)
			open.push_back(entry.first);
	}
	return open;
}

host_window_id HeadlessHost::FindWindow(const char* title) const
{
	std::lock_guard<std::mutex> lock(fMutex);
	for (auto it = fWindows.rbegin(); it != fWindows.rend(); ++it) {
		const HeadlessWindowInfo& info = it->second.info;
		if (info.open && title != NULL && info.title == title)
			return it->first;
	}
	return -1;
}

host_window_id HeadlessHost::WaitForWindow(const char* title, bigtime_t timeout)
{
	std::unique_lock<std::mutex> lock(fMutex);
	host_window_id found = -1;
	WaitFor(lock, timeout, [&] {
		for (auto it = fWindows.rbegin(); it != fWindows.rend(); ++it) {
			const HeadlessWindowInfo& info = it->second.info;
			if (info.open && info.shown && title != NULL && info.title == title) {
				found = it->first;
				return true;
			}
		}
		return false;
	});
	return found;
}

bool HeadlessHost::GetWindowInfo(host_window_id id, HeadlessWindowInfo* info) const
{
	std::lock_guard<std::mutex> lock(fMutex);
	const Window* window = FindLocked(id);
	if (window == NULL || info == NULL)
		return false;
	*info = window->info;
	return true;
}

bool HeadlessHost::IsOpen(host_window_id id) const
{
	std::lock_guard<std::mutex> lock(fMutex);
	const Window* window = FindLocked(id);
	return window != NULL && window->info.open;
}

bool HeadlessHost::IsShown(host_window_id id) const
{
	std::lock_guard<std::mutex> lock(fMutex);
	const Window* window = FindLocked(id);
	return window != NULL && window->info.shown;
}

std::vector<uint32> HeadlessHost::WindowPixels(host_window_id id, int32* width, int32* height) const
{
	std::lock_guard<std::mutex> lock(fMutex);
	const Window* window = FindLocked(id);
	if (width != NULL)
		*width = window != NULL ? window->info.width : 0;
	if (height != NULL)
		*height = window != NULL ? window->info.height : 0;
	return window != NULL ? window->screen : std::vector<uint32>();
}

uint32 HeadlessHost::PixelAt(host_window_id id, int32 x, int32 y) const
{
	std::lock_guard<std::mutex> lock(fMutex);
	const Window* window = FindLocked(id);
	if (window == NULL || x < 0 || y < 0 || x >= window->info.width || y >= window->info.height)
		return 0;
	return window->screen[(size_t)y * window->info.width + x];
}

int32 HeadlessHost::PresentCount(host_window_id id) const
{
	std::lock_guard<std::mutex> lock(fMutex);
	const Window* window = FindLocked(id);
	return window != NULL ? window->info.presents : 0;
}

status_t HeadlessHost::InjectPointer(host_window_id id, BPoint where, uint32 buttons)
{
	std::lock_guard<std::mutex> lock(fMutex);
	Window* window = OpenWindow(id);
	if (window == NULL)
		return B_BAD_VALUE;

	BPoint oldWhere = window->pointer;
	uint32 oldButtons = window->buttons;
	window->pointer = where;
	window->buttons = buttons;

	bool pressed = (buttons & ~oldButtons) != 0;
	bool released = (oldButtons & ~buttons) != 0;
	if (where != oldWhere || (!pressed && !released))
		window->input->PointerMoved(where, oldButtons, 0, system_time());
	if (pressed)
		window->input->ButtonDown(where, buttons | (released ? oldButtons : 0), 0, system_time());
	if (released)
		window->input->ButtonUp(where, buttons, 0, system_time());
	return B_OK;
}

status_t HeadlessHost::InjectMouseDown(host_window_id id, BPoint where, uint32 buttons)
{
	return InjectPointer(id, where, buttons);
}

status_t HeadlessHost::InjectMouseUp(host_window_id id, BPoint where)
{
	return InjectPointer(id, where, 0);
}

status_t HeadlessHost::InjectMouseMove(host_window_id id, BPoint where)
{
	uint32 buttons = 0;
	{
		std::lock_guard<std::mutex> lock(fMutex);
		Window* window = OpenWindow(id);
		if (window == NULL)
			return B_BAD_VALUE;
		buttons = window->buttons;
	}
	return InjectPointer(id, where, buttons);
}

status_t HeadlessHost::InjectClick(host_window_id id, BPoint where, uint32 buttons)
{
	status_t status = InjectPointer(id, where, buttons);
	if (status != B_OK)
		return status;
	return InjectPointer(id, where, 0);
}

status_t HeadlessHost::InjectKey(host_window_id id, const char* bytes)
{
	if (bytes == NULL || bytes[0] == '\0')
		return B_BAD_VALUE;
	std::lock_guard<std::mutex> lock(fMutex);
	Window* window = OpenWindow(id);
	if (window == NULL)
		return B_BAD_VALUE;
	window->input->KeyDown(bytes, strlen(bytes) == 1 ? (uint8)bytes[0] : 0, 0, 0, system_time());
	return B_OK;
}

status_t HeadlessHost::InjectClose(host_window_id id)
{
	std::lock_guard<std::mutex> lock(fMutex);
	Window* window = OpenWindow(id);
	if (window == NULL)
		return B_BAD_VALUE;
	window->input->CloseRequested();
	return B_OK;
}

status_t HeadlessHost::InjectExpose(host_window_id id)
{
	std::lock_guard<std::mutex> lock(fMutex);
	Window* window = OpenWindow(id);
	if (window == NULL)
		return B_BAD_VALUE;
	window->input->Exposed(BRect(0, 0, window->info.width - 1, window->info.height - 1));
	return B_OK;
}

// As a desktop drag's: the data goes to the window once per drag, then only positions.
status_t HeadlessHost::InjectDragMotion(host_window_id id, BPoint where, const BMessage& drag)
{
	std::lock_guard<std::mutex> lock(fMutex);
	Window* window = OpenWindow(id);
	if (window == NULL)
		return B_BAD_VALUE;
	status_t status = PostDragData(window, drag);
	if (status != B_OK)
		return status;
	window->input->DragMoved(where);
	return B_OK;
}

status_t HeadlessHost::InjectDragExit(host_window_id id)
{
	std::lock_guard<std::mutex> lock(fMutex);
	Window* window = OpenWindow(id);
	if (window == NULL)
		return B_BAD_VALUE;
	window->dragging = false;
	window->input->DragExited();
	return B_OK;
}

status_t HeadlessHost::InjectDrop(host_window_id id, BPoint where, const BMessage& drag)
{
	std::lock_guard<std::mutex> lock(fMutex);
	Window* window = OpenWindow(id);
	if (window == NULL)
		return B_BAD_VALUE;
	status_t status = PostDragData(window, drag);
	window->dragging = false;
	if (status != B_OK)
		return status;
	window->input->Dropped(where);
	return B_OK;
}

bool HeadlessHost::WaitForIdle(host_window_id id, bigtime_t timeout)
{
	CallResult result = CallOnWindowThread(id, nullptr, timeout);
	if (result != kClosed)
		return result == kRan;
	std::lock_guard<std::mutex> lock(fMutex);
	return FindLocked(id) != NULL;
}

bool HeadlessHost::RunOnWindowThread(
	host_window_id id, const std::function<void()>& fn, bigtime_t timeout)
{
	return CallOnWindowThread(id, fn, timeout) == kRan;
}

bool HeadlessHost::WaitForClose(host_window_id id, bigtime_t timeout)
{
	std::unique_lock<std::mutex> lock(fMutex);
	return WaitFor(lock, timeout, [&] { return OpenWindow(id) == NULL; });
}

HeadlessHost::CallResult HeadlessHost::CallOnWindowThread(
	host_window_id id, const std::function<void()>& fn, bigtime_t timeout)
{
	std::unique_lock<std::mutex> lock(fMutex);
	Window* window = OpenWindow(id);
	if (window == NULL)
		return kClosed;
	int32 token = fNextCall++;
	fCalls[token].function = fn;
	BMessage message(kMsgCall);
	message.AddInt32("token", token);
	if (window->target->PostMessage(&message, window->caller) != B_OK) {
		fCalls.erase(token);
		return kClosed;
	}
	WaitFor(lock, timeout, [&] { return fCalls[token].done || OpenWindow(id) == NULL; });
	CallResult result = fCalls[token].done ? kRan : OpenWindow(id) == NULL ? kClosed : kTimedOut;
	fCalls.erase(token);
	return result;
}

// The token stands for the call, so a call whose waiter gave up finds nothing to do.
void HeadlessHost::RunCall(int32 token)
{
	std::function<void()> function;
	{
		std::lock_guard<std::mutex> lock(fMutex);
		auto it = fCalls.find(token);
		if (it == fCalls.end())
			return;
		function = it->second.function;
	}
	if (function)
		function();
	std::lock_guard<std::mutex> lock(fMutex);
	auto it = fCalls.find(token);
	if (it != fCalls.end())
		it->second.done = true;
	fChanged.notify_all();
}

HeadlessHost::Window* HeadlessHost::OpenWindow(host_window_id id)
{
	auto it = fWindows.find(id);
	return it != fWindows.end() && it->second.info.open ? &it->second : NULL;
}

const HeadlessHost::Window* HeadlessHost::FindLocked(host_window_id id) const
{
	auto it = fWindows.find(id);
	return it != fWindows.end() ? &it->second : NULL;
}

bool HeadlessHost::WaitFor(
	std::unique_lock<std::mutex>& lock, bigtime_t timeout, const std::function<bool()>& ready)
{
	return fChanged.wait_for(lock, std::chrono::microseconds(timeout), ready);
}

}  // namespace platform
