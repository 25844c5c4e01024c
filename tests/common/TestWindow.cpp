#include "TestWindow.h"

#include <Entry.h>
#include <Handler.h>
#include <TypeConstants.h>
#include <Window.h>

#include "app/LooperQueue.h"
#include "app/WindowRegistry.h"
#include "host/headless/HeadlessHost.h"
#include "interface/WindowMessages.h"

#include "TestSupport.h"

#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <map>

namespace testing_support {

namespace {

using std::chrono::milliseconds;

const uint32 kMsgCall = 'tCAL';  // "token" (int32)

platform::HeadlessHost& Host()
{
	return platform::HeadlessHost::Instance();
}

platform::HeadlessWindowInfo Info(platform::host_window_id id)
{
	platform::HeadlessWindowInfo info;
	Host().GetWindowInfo(id, &info);
	return info;
}

// The calls waiting to run, and the handler through which they reach each window's thread,
// which outlives the window (a looper never deletes its handlers). Never destroyed: windows
// may still close while static destruction runs. Its lock comes before the host's.
struct Calls {
	std::mutex mutex;
	std::condition_variable ran;
	std::map<platform::host_window_id, BHandler*> handlers;
	std::map<int32, std::function<void()>> waiting;
	int32 next = 1;

	static Calls& Get()
	{
		static Calls* calls = new Calls;
		return *calls;
	}

	// The token stands for the call, so a call whose waiter gave up finds nothing to do.
	void Run(int32 token)
	{
		std::unique_lock<std::mutex> lock(mutex);
		auto found = waiting.find(token);
		if (found == waiting.end())
			return;
		std::function<void()> function = std::move(found->second);
		lock.unlock();
		if (function)
			function();
		lock.lock();
		waiting.erase(token);
		ran.notify_all();
	}
};

// A call waits its turn until nothing but other calls is queued, so that what the messages
// before it led to (an update, a message the window posted itself) has been handled too.
// Calls do not wait for each other: two of them (one whose waiter gave up, say) would pass
// each other by for ever, and the window would never be idle again.
class CallHandler : public BHandler {
public:
	void MessageReceived(BMessage* message) override
	{
		int32 token = 0;
		if (message->what != kMsgCall || message->FindInt32("token", &token) != B_OK)
			BHandler::MessageReceived(message);
		else if (platform::LooperQueue::CountFor(*Looper(), this) == 0
			|| Looper()->PostMessage(message, this) != B_OK)
			Calls::Get().Run(token);
	}
};

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
	size_t length = strnlen(text, platform::kMaxDragTextPreview + 1);
	drag.AddData("text", B_RAW_TYPE, text, (ssize_t)length, false);
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
	fOwned(true)
{
	window->Show();
	Attach(window->Name() != NULL ? window->Name() : "", kWait);  // looper named by the title
}

TestWindow::~TestWindow()
{
	if (fOwned && (fId < 0 || IsOpen()) && fWindow->Lock())
		fWindow->Quit();
	if (fOwned)
		WaitUntil([&] { return !IsOpen(); }, milliseconds(kWait / 1000), milliseconds(1));
}

void TestWindow::Attach(const std::string& title, bigtime_t timeout)
{
	platform::host_window_id id = -1;
	WaitUntil(
		[&] {
			std::vector<platform::host_window_id> open = Host().Windows();
			for (auto it = open.rbegin(); id < 0 && it != open.rend(); ++it)
				id = Info(*it).shown && Info(*it).title == title ? *it : -1;
			return id >= 0;
		},
		milliseconds(timeout / 1000), milliseconds(1));
	std::vector<BLooper*> windows = platform::WindowRegistry::List();
	for (auto it = windows.rbegin(); id >= 0 && fWindow == NULL && it != windows.rend(); ++it) {
		if (title == ((*it)->Name() != NULL ? (*it)->Name() : ""))
			fWindow = static_cast<BWindow*>(*it);
	}
	if (id < 0 || fWindow == NULL)
		return;
	fId = id;
	BHandler* handler = NULL;
	{
		std::lock_guard<std::mutex> lock(Calls::Get().mutex);
		BHandler*& known = Calls::Get().handlers[fId];
		if (known == NULL)
			known = handler = new CallHandler;
	}
	// Not under the calls' lock: the window's thread takes it to run a call.
	if (handler != NULL && fWindow->Lock()) {
		fWindow->AddHandler(handler);
		fWindow->Unlock();
	}
	WaitForIdle(timeout);
}

bool TestWindow::IsOpen() const
{
	return Info(fId).open;
}

status_t TestWindow::Report(const std::function<void(platform::HostInput& input)>& report)
{
	return Host().Report(fId, report) ? B_OK : B_BAD_VALUE;
}

// One change at a time, each from where the last one left the pointer.
status_t TestWindow::Pointer(BPoint where, uint32 buttons)
{
	std::lock_guard<std::mutex> lock(Calls::Get().mutex);
	BPoint was;
	uint32 held = 0;
	if (!Host().GetPointer(fId, &was, &held))
		return B_BAD_VALUE;
	bool pressed = (buttons & ~held) != 0, released = (held & ~buttons) != 0;
	return Report([&](auto& input) {
		if (where != was || (!pressed && !released))
			input.PointerMoved(where, held, 0, system_time());
		if (pressed)
			input.ButtonDown(where, buttons | (released ? held : 0), 0, system_time());
		if (released)
			input.ButtonUp(where, buttons, 0, system_time());
	});
}

status_t TestWindow::MouseMove(BPoint where)
{
	BPoint was;
	uint32 held = 0;
	return Host().GetPointer(fId, &was, &held) ? Pointer(where, held) : B_BAD_VALUE;
}

status_t TestWindow::Key(const char* bytes)
{
	uint32 raw = strlen(bytes) == 1 ? (uint8)bytes[0] : 0;
	return Report([&](auto& input) { input.KeyDown(bytes, raw, 0, 0, system_time()); });
}

status_t TestWindow::DragExit()
{
	fDragging = false;
	return Report([](auto& input) { input.DragExited(); });
}

// As a display hands a drag on: raw data through the input, a message as it is, once a drag.
status_t TestWindow::ReportDrag(const BMessage& drag, bool ends, BPoint where)
{
	return Report([&](auto& input) {
		const void* bytes = NULL;
		ssize_t size = 0;
		if (fDragging) {
		} else if (drag.what != platform::kMsgWindowDragData) {
			std::vector<char> flat(std::max<ssize_t>(drag.FlattenedSize(), 0));
			BMessage data(platform::kMsgWindowDragData);
			if (drag.Flatten(flat.data(), flat.size()) == B_OK)
				data.AddData("drag", B_MESSAGE_TYPE, flat.data(), flat.size(), false);
			fWindow->PostMessage(&data);  // open, so not deleted: the host holds it so
		} else if (drag.FindData("uri-list", B_RAW_TYPE, &bytes, &size) == B_OK)
			input.DragData(platform::kHostDragUriList, (const char*)bytes, size);
		else if (drag.FindData("text", B_RAW_TYPE, &bytes, &size) == B_OK)
			input.DragData(platform::kHostDragText, (const char*)bytes, size);
		else
			input.DragData(platform::kHostDragNothingUsable, NULL, 0);
		fDragging = !ends;
		if (ends)
			input.Dropped(where);
		else
			input.DragMoved(where);
	});
}

bool TestWindow::WaitForIdle(bigtime_t timeout) const
{
	return RunOnThread(nullptr, timeout) || (fId >= 0 && !IsOpen());
}

// The call travels as a message to the handler on the window's looper, posted while the host
// holds the window open. The host tells no one that a window closed: the wait looks again
// now and then.
bool TestWindow::RunOnThread(const std::function<void()>& fn, bigtime_t timeout) const
{
	Calls& calls = Calls::Get();
	std::unique_lock<std::mutex> lock(calls.mutex);
	BHandler* handler = fId >= 0 ? calls.handlers[fId] : NULL;
	int32 token = calls.next++;
	BMessage message(kMsgCall);
	message.AddInt32("token", token);
	bool posted = false;
	if (handler != NULL) {
		Host().Report(fId, [&](auto&) {
			calls.waiting[token] = fn;
			posted = fWindow->PostMessage(&message, handler) == B_OK;
		});
	}
	auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(timeout);
	while (posted && calls.waiting.count(token) > 0 && IsOpen()
		&& std::chrono::steady_clock::now() < deadline)
		calls.ran.wait_for(lock, milliseconds(10));
	return calls.waiting.erase(token) == 0 && posted;
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

std::string UniqueTitle(const char* base)
{
	static std::atomic<int> counter(0);
	return std::string(base) + "-" + std::to_string(counter++);
}

BWindow* NewWindow(BRect frame, const char* base)
{
	return new BWindow(frame, UniqueTitle(base).c_str(), B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL,
		B_NOT_RESIZABLE);
}

HookLog::~HookLog()
{
	WaitUntil([this] {
		std::lock_guard<std::mutex> lock(mutex);
		return views == 0;
	});
}

RecordingView::RecordingView(BRect frame, const char* name, HookLog* log) :
	BView(frame, name, B_FOLLOW_NONE, B_WILL_DRAW),
	fLog(log)
{
	std::lock_guard<std::mutex> lock(fLog->mutex);
	fLog->views++;
}

RecordingView::~RecordingView()
{
	std::lock_guard<std::mutex> lock(fLog->mutex);
	fLog->hooks.push_back(std::string(Name()) + ".deleted");
	fLog->views--;
}

void RecordingView::Record(const std::string& hook, const BMessage* message)
{
	bool home = Window() != NULL && Window()->Thread() == find_thread(NULL);
	bool locked = Window() != NULL && Window()->IsLocked();
	std::lock_guard<std::mutex> lock(fLog->mutex);
	fLog->hooks.push_back(std::string(Name()) + "." + hook + (home ? "" : " elsewhere")
		+ (locked ? "" : " unlocked"));
	if (message != NULL)
		fLog->messages.push_back(*message);
}

}  // namespace testing_support
