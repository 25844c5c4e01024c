#include <Entry.h>
#include <Looper.h>
#include <Message.h>

#include <gtest/gtest.h>

#include "../interface/WindowTestSupport.h"
#include "TestSupport.h"
#include "host/HostMessages.h"

using namespace window_test;
using platform::HeadlessHost;

namespace {

struct Posted {
	uint32 what;
	BPoint where;
	int32 buttons;
};

// Stands in for a window: notes what the host posts to it.
class PostedLog : public BLooper {
public:
	PostedLog() : BLooper("posted") {}
	void MessageReceived(BMessage* message) override
	{
		Posted posted = {message->what, BPoint(-99, -99), -1};
		message->FindPoint("where", &posted.where);
		message->FindInt32("buttons", &posted.buttons);
		std::lock_guard<std::mutex> lock(fMutex);
		fPosted.push_back(posted);
	}
	std::vector<Posted> Take()
	{
		std::lock_guard<std::mutex> lock(fMutex);
		std::vector<Posted> posted;
		posted.swap(fPosted);
		return posted;
	}

private:
	std::mutex fMutex;
	std::vector<Posted> fPosted;
};

// A host window whose target is a PostedLog.
class HostWindow {
public:
	HostWindow()
	{
		fLog = new PostedLog;
		fLog->Run();
		platform::HostWindowSpec spec = {BRect(0, 0, 9, 9), "raw", 1, 0, 0};
		EXPECT_EQ(Host().CreateWindow(spec, fLog, &fId), B_OK);
	}
	~HostWindow()
	{
		Host().CloseWindow(fId);
		if (fLog->Lock())
			fLog->Quit();
	}
	HeadlessHost& Host() const { return HeadlessHost::Instance(); }
	platform::host_window_id Id() const { return fId; }
	// What was posted up to now.
	std::vector<Posted> Settle()
	{
		BMessage sync('sync');
		fLog->PostMessage(&sync);
		std::vector<Posted> all;
		testing_support::WaitUntil([&] {
			for (const Posted& p : fLog->Take())
				all.push_back(p);
			return !all.empty() && all.back().what == 'sync';
		});
		EXPECT_FALSE(all.empty());
		if (!all.empty())
			all.pop_back();
		return all;
	}

private:
	PostedLog* fLog;
	platform::host_window_id fId;
};

bool operator==(const Posted& a, const Posted& b)
{
	return a.what == b.what && a.where == b.where && a.buttons == b.buttons;
}

std::ostream& operator<<(std::ostream& out, const Posted& p)
{
	char what[5] = {(char)(p.what >> 24), (char)(p.what >> 16), (char)(p.what >> 8),
		(char)p.what, 0};
	return out << what << " (" << p.where.x << ", " << p.where.y << ") " << p.buttons;
}

}  // namespace

TEST(HeadlessHost, InjectedPointerPostsOneMessagePerChange)
{
	Watchdog watchdog;
	HostWindow window;
	HeadlessHost& host = window.Host();
	host.InjectMouseMove(window.Id(), BPoint(1, 2));
	host.InjectMouseDown(window.Id(), BPoint(1, 2));
	host.InjectPointer(window.Id(), BPoint(1, 2), B_PRIMARY_MOUSE_BUTTON
		| B_SECONDARY_MOUSE_BUTTON);
	host.InjectPointer(window.Id(), BPoint(-5, 30), B_SECONDARY_MOUSE_BUTTON);
	host.InjectMouseUp(window.Id(), BPoint(-5, 30));

	const std::vector<Posted> expected = {
		{B_MOUSE_MOVED, BPoint(1, 2), 0},
		{B_MOUSE_DOWN, BPoint(1, 2), 1},
		{B_MOUSE_DOWN, BPoint(1, 2), 3},
		{B_MOUSE_MOVED, BPoint(-5, 30), 3},
		{B_MOUSE_UP, BPoint(-5, 30), 2},
		{B_MOUSE_UP, BPoint(-5, 30), 0}};
	EXPECT_EQ(window.Settle(), expected);
}

TEST(HeadlessHost, GetPointerReportsTheInjectedStateAtOnce)
{
	HostWindow window;
	window.Host().InjectPointer(window.Id(), BPoint(300, -4), B_TERTIARY_MOUSE_BUTTON);
	BPoint where;
	uint32 buttons = 0;
	ASSERT_TRUE(window.Host().GetPointer(window.Id(), &where, &buttons));
	EXPECT_EQ(where, BPoint(300, -4));
	EXPECT_EQ(buttons, (uint32)B_TERTIARY_MOUSE_BUTTON);
}

TEST(HeadlessHost, ClosedWindowGetsNothingMore)
{
	HostWindow window;
	window.Host().CloseWindow(window.Id());
	EXPECT_EQ(window.Host().InjectClose(window.Id()), B_BAD_VALUE);
	EXPECT_EQ(window.Host().InjectMouseMove(window.Id(), BPoint(1, 1)), B_BAD_VALUE);
	EXPECT_FALSE(window.Host().IsOpen(window.Id()));
	EXPECT_TRUE(window.Settle().empty());
}

TEST(HeadlessHost, PresentCopiesOnlyTheDirtyRectangle)
{
	HostWindow window;
	std::vector<uint32> first(4 * 3, 0xFF000001);
	window.Host().PresentPixels(window.Id(), first.data(), 4, 3, BRect(0, 0, 3, 2));
	std::vector<uint32> second(4 * 3, 0xFF000002);
	window.Host().PresentPixels(window.Id(), second.data(), 4, 3, BRect(1, 1, 2, 2));

	int32 width = 0;
	int32 height = 0;
	std::vector<uint32> screen = window.Host().WindowPixels(window.Id(), &width, &height);
	const uint32 a = 0xFF000001;
	const uint32 b = 0xFF000002;
	EXPECT_EQ(screen, (std::vector<uint32>{a, a, a, a, a, b, b, a, a, b, b, a}));
	EXPECT_EQ(width, 4);
	EXPECT_EQ(height, 3);
	EXPECT_EQ(window.Host().PresentCount(window.Id()), 2);
}

TEST(HeadlessHost, DragMessageFromPathsHoldsRefsOfExistingFilesOnly)
{
	testing_support::TempDir dir;
	std::string file = dir.Make("a file %#?.txt");
	BMessage drag = HeadlessHost::DragMessageFromPaths({file, dir.Join("missing")});
	EXPECT_EQ(drag.what, (uint32)B_SIMPLE_DATA);
	entry_ref ref;
	ASSERT_EQ(drag.FindRef("refs", 0, &ref), B_OK);
	EXPECT_STREQ(ref.name, "a file %#?.txt");
	EXPECT_FALSE(drag.HasRef("refs", 1));
}

TEST(HeadlessHost, TextDragMessageCarriesNoRefs)
{
	BMessage drag = HeadlessHost::TextDragMessage("hello");
	EXPECT_EQ(drag.what, (uint32)B_SIMPLE_DATA);
	EXPECT_FALSE(drag.HasRef("refs", 0));
	EXPECT_TRUE(drag.HasData("text/plain", B_MIME_TYPE, 0));
}

namespace {

// Answers each ping by posting a pong to itself.
class EchoWindow : public BWindow {
public:
	EchoWindow()
		: BWindow(BRect(0, 0, 9, 9), UniqueTitle("echo").c_str(), B_TITLED_WINDOW_LOOK,
			B_NORMAL_WINDOW_FEEL, 0) {}
	void MessageReceived(BMessage* message) override
	{
		if (message->what == 'ping')
			PostMessage('pong');
		else if (message->what == 'pong')
			pongs++;
		BWindow::MessageReceived(message);
	}
	std::atomic<int> pongs{0};
};

}  // namespace

TEST(HeadlessHost, WaitForIdleCoversWhatTheWindowPostsToItself)
{
	Watchdog watchdog;
	EchoWindow* window = new EchoWindow;
	ShownWindow shown(window);
	window->PostMessage('ping');
	shown.Idle();
	EXPECT_EQ(window->pongs, 1);
}
