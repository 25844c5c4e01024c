#include "TestWindow.h"

#include <Entry.h>
#include <Handler.h>
#include <Looper.h>
#include <TypeConstants.h>
#include <Window.h>

#include "app/LooperQueue.h"
#include "app/WindowRegistry.h"
#include "host/HostInput.h"
#include "host/headless/HeadlessHost.h"
#include "interface/WindowMessages.h"

#include "TestSupport.h"

#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>

namespace testing_support {

namespace {

using platform::HeadlessHost;
using platform::HeadlessWindowInfo;
using platform::host_window_id;
using platform::HostInput;
using std::chrono::milliseconds;

const uint32 kMsgCall = 'tCAL';  // "token" (int32)

enum CallResult {
	kRan,
	kClosed,
	kTimedOut
};

HeadlessHost& Host()
{
	return HeadlessHost::Instance();
}

HeadlessWindowInfo Info(host_window_id id)
{
	HeadlessWindowInfo info;
	Host().GetWindowInfo(id, &info);
	return info;
}

milliseconds Millis(bigtime_t timeout)
{
	return milliseconds(timeout / 1000);
}

// What the driver keeps of a window for as long as the process runs: its calls reach the
// window's thread through a handler of the driver's own, which the window hands messages for
// unread, and which outlives the window (a looper never deletes its handlers).
struct Driven {
	BLooper* looper = NULL;
	BHandler* caller = NULL;
	bool dragging = false;  // the window has this drag's data
};

struct Call {
	std::function<void()> function;
	bool done = false;
};

// Never destroyed: windows may still close while static destruction runs. Its lock comes
// before the host's; what runs under the host's lock never takes it.
struct Driver {
	std::mutex mutex;
	std::condition_variable changed;
	std::map<host_window_id, Driven> windows;
	std::map<int32, Call> calls;
	int32 nextCall = 1;

	static Driver& Get()
	{
		static Driver* driver = new Driver;
		return *driver;
	}

	// The token stands for the call, so a call whose waiter gave up finds nothing to do.
	void Run(int32 token)
	{
		std::function<void()> function;
		{
			std::lock_guard<std::mutex> lock(mutex);
			auto found = calls.find(token);
			if (found == calls.end())
				return;
			function = found->second.function;
		}
		if (function)
			function();
		std::lock_guard<std::mutex> lock(mutex);
		auto found = calls.find(token);
		if (found != calls.end())
			found->second.done = true;
		changed.notify_all();
	}
};

// A call waits its turn until nothing but other calls is queued, so that what the messages
// before it led to (an update, a message the window posted itself) has been handled too.
// Calls do not wait for each other: two of them (one whose waiter gave up, say) would pass
// each other by for ever, and the window would never be idle again.
class CallHandler : public BHandler {
public:
	CallHandler() :
		BHandler("test window calls")
	{
	}
	void MessageReceived(BMessage* message) override
	{
		int32 token = 0;
		if (message->what != kMsgCall || message->FindInt32("token", &token) != B_OK) {
			BHandler::MessageReceived(message);
			return;
		}
		if (platform::LooperQueue::CountFor(*Looper(), this) > 0
			&& Looper()->PostMessage(message, this) == B_OK)
			return;
		Driver::Get().Run(token);
	}
};

host_window_id NewestShown(const std::string& title)
{
	std::vector<host_window_id> open = Host().Windows();
	for (auto it = open.rbegin(); it != open.rend(); ++it) {
		HeadlessWindowInfo info = Info(*it);
		if (info.shown && info.title == title)
			return *it;
	}
	return -1;
}

// A window's looper is named by its title.
BWindow* NewestWindowTitled(const std::string& title)
{
	std::vector<BLooper*> windows = platform::WindowRegistry::List();
	for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
		if (title == ((*it)->Name() != NULL ? (*it)->Name() : ""))
			return dynamic_cast<BWindow*>(*it);
	}
	return NULL;
}

// Once per drag, as a display hands it on: raw data through the input, a message as it is.
void HandDragData(HostInput& input, const Driven& driven, const BMessage& drag)
{
	const void* bytes = NULL;
	ssize_t size = 0;
	if (drag.what != platform::kMsgWindowDragData) {
		std::vector<char> flat(std::max<ssize_t>(drag.FlattenedSize(), 0));
		BMessage data(platform::kMsgWindowDragData);
		if (drag.Flatten(flat.data(), flat.size()) == B_OK)
			data.AddData("drag", B_MESSAGE_TYPE, flat.data(), flat.size(), false);
		driven.looper->PostMessage(&data);
	} else if (drag.FindData("uri-list", B_RAW_TYPE, &bytes, &size) == B_OK)
		input.DragData(platform::kHostDragUriList, (const char*)bytes, size);
	else if (drag.FindData("text", B_RAW_TYPE, &bytes, &size) == B_OK)
		input.DragData(platform::kHostDragText, (const char*)bytes, size);
	else
		input.DragData(platform::kHostDragNothingUsable, NULL, 0);
}

}  // namespace

BMessage DragFromUriList(const std::string& list)
{
	BMessage drag(platform::kMsgWindowDragData);
	drag.AddData("uri-list", B_RAW_TYPE, list.data(), (ssize_t)list.size(), false);
	return drag;
}

BMessage TextDrag(const char* text)
{
	BMessage drag(platform::kMsgWindowDragData);
	const char* data = text != NULL ? text : "";
	size_t length = strnlen(data, platform::kMaxDragTextPreview + 1);
	drag.AddData("text", B_RAW_TYPE, data, (ssize_t)length, false);
	return drag;
}

BMessage DragFromPaths(const std::vector<std::string>& paths)
{
	BMessage drag(B_SIMPLE_DATA);
	for (const std::string& path : paths) {
		struct stat st;
		entry_ref ref;
		if (lstat(path.c_str(), &st) == 0 && get_ref_for_path(path.c_str(), &ref) == B_OK)
			drag.AddRef("refs", &ref);
	}
	return drag;
}

TestWindow::TestWindow(BWindow* window) :
	fWindow(window),
	fId(-1),
	fOwned(true)
{
	std::string title = window->Name() != NULL ? window->Name() : "";
	window->Show();
	Attach(title, kWait);
}

TestWindow::TestWindow(const std::string& title, bigtime_t timeout) :
	fWindow(NULL),
	fId(-1),
	fOwned(false)
{
	Attach(title, timeout);
}

TestWindow::~TestWindow()
{
	if (!fOwned)
		return;
	if ((fId < 0 || IsOpen()) && fWindow->Lock())
		fWindow->Quit();
	WaitForClose();
}

void TestWindow::Attach(const std::string& title, bigtime_t timeout)
{
	host_window_id id = -1;
	WaitUntil([&] { return (id = NewestShown(title)) >= 0; }, Millis(timeout), milliseconds(1));
	if (fWindow == NULL)
		fWindow = NewestWindowTitled(title);
	if (id < 0 || fWindow == NULL)
		return;
	fId = id;
	BHandler* caller = NULL;
	{
		std::lock_guard<std::mutex> lock(Driver::Get().mutex);
		Driven& driven = Driver::Get().windows[fId];
		if (driven.caller == NULL) {
			driven.looper = fWindow;
			driven.caller = caller = new CallHandler;
		}
	}
	if (caller != NULL && fWindow->Lock()) {
		fWindow->AddHandler(caller);
		fWindow->Unlock();
	}
	WaitForIdle(timeout);
}

status_t TestWindow::Report(const std::function<void(HostInput& input)>& report)
{
	return fId >= 0 && Host().Report(fId, report) ? B_OK : B_BAD_VALUE;
}

// One change at a time, each from where the last one left the pointer.
status_t TestWindow::Pointer(BPoint where, uint32 buttons)
{
	std::lock_guard<std::mutex> lock(Driver::Get().mutex);
	BPoint oldWhere;
	uint32 oldButtons = 0;
	if (!Host().GetPointer(fId, &oldWhere, &oldButtons))
		return B_BAD_VALUE;
	bool pressed = (buttons & ~oldButtons) != 0;
	bool released = (oldButtons & ~buttons) != 0;
	bigtime_t when = system_time();
	return Report([&](HostInput& input) {
		if (where != oldWhere || (!pressed && !released))
			input.PointerMoved(where, oldButtons, 0, when);
		if (pressed)
			input.ButtonDown(where, buttons | (released ? oldButtons : 0), 0, when);
		if (released)
			input.ButtonUp(where, buttons, 0, when);
	});
}

status_t TestWindow::MouseDown(BPoint where, uint32 buttons)
{
	return Pointer(where, buttons);
}

status_t TestWindow::MouseUp(BPoint where)
{
	return Pointer(where, 0);
}

status_t TestWindow::MouseMove(BPoint where)
{
	BPoint oldWhere;
	uint32 buttons = 0;
	if (!Host().GetPointer(fId, &oldWhere, &buttons))
		return B_BAD_VALUE;
	return Pointer(where, buttons);
}

status_t TestWindow::Click(BPoint where, uint32 buttons)
{
	status_t status = Pointer(where, buttons);
	return status == B_OK ? Pointer(where, 0) : status;
}

status_t TestWindow::Key(const char* bytes)
{
	if (bytes == NULL || bytes[0] == '\0')
		return B_BAD_VALUE;
	uint32 raw = strlen(bytes) == 1 ? (uint8)bytes[0] : 0;
	return Report([&](HostInput& input) { input.KeyDown(bytes, raw, 0, 0, system_time()); });
}

status_t TestWindow::Close()
{
	return Report([](HostInput& input) { input.CloseRequested(); });
}

status_t TestWindow::DragMotion(BPoint where, const BMessage& drag)
{
	return ReportDrag(drag, false, [&](HostInput& input) { input.DragMoved(where); });
}

status_t TestWindow::DragExit()
{
	std::lock_guard<std::mutex> lock(Driver::Get().mutex);
	Driver::Get().windows[fId].dragging = false;
	return Report([](HostInput& input) { input.DragExited(); });
}

status_t TestWindow::Drop(BPoint where, const BMessage& drag)
{
	return ReportDrag(drag, true, [&](HostInput& input) { input.Dropped(where); });
}

status_t TestWindow::ReportDrag(
	const BMessage& drag, bool ends, const std::function<void(HostInput&)>& then)
{
	std::lock_guard<std::mutex> lock(Driver::Get().mutex);
	Driven& driven = Driver::Get().windows[fId];
	if (driven.looper == NULL)
		return B_BAD_VALUE;
	return Report([&](HostInput& input) {
		if (!driven.dragging)
			HandDragData(input, driven, drag);
		driven.dragging = !ends;
		then(input);
	});
}

bool TestWindow::WaitForIdle(bigtime_t timeout) const
{
	int result = Call(nullptr, timeout);
	return result == kRan || (result == kClosed && fId >= 0);
}

bool TestWindow::RunOnThread(const std::function<void()>& fn, bigtime_t timeout) const
{
	return Call(fn, timeout) == kRan;
}

bool TestWindow::WaitForClose(bigtime_t timeout) const
{
	return WaitUntil([&] { return !IsOpen(); }, Millis(timeout), milliseconds(1));
}

// The call travels as a message to the driver's handler on the window's looper, posted while
// the host holds the window open. The host tells no one that a window closed: the wait looks
// again now and then.
int TestWindow::Call(const std::function<void()>& fn, bigtime_t timeout) const
{
	Driver& driver = Driver::Get();
	std::unique_lock<std::mutex> lock(driver.mutex);
	auto found = driver.windows.find(fId);
	if (found == driver.windows.end() || found->second.caller == NULL)
		return kClosed;
	const Driven& driven = found->second;
	int32 token = driver.nextCall++;
	driver.calls[token].function = fn;
	BMessage message(kMsgCall);
	message.AddInt32("token", token);
	bool posted = false;
	Host().Report(fId,
		[&](HostInput&) { posted = driven.looper->PostMessage(&message, driven.caller) == B_OK; });
	if (!posted) {
		driver.calls.erase(token);
		return kClosed;
	}
	auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(timeout);
	while (!driver.calls[token].done && IsOpen() && std::chrono::steady_clock::now() < deadline)
		driver.changed.wait_for(lock, milliseconds(10));
	int result = driver.calls[token].done ? kRan : !IsOpen() ? kClosed : kTimedOut;
	driver.calls.erase(token);
	return result;
}

bool TestWindow::IsOpen() const
{
	return Info(fId).open;
}

std::vector<uint32> TestWindow::Pixels(int32* width) const
{
	if (width != NULL)
		*width = Info(fId).width;
	return Host().WindowPixels(fId);
}

int32 TestWindow::PresentCount() const
{
	return Info(fId).presents;
}

}  // namespace testing_support
