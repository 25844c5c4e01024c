#include <Message.h>
#include <View.h>
#include <Window.h>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "WindowTestSupport.h"

using namespace window_test;

namespace {

const BRect kFrame(100, 100, 139, 129);  // 40 x 30
const uint32 kPing = 'ping';

// A window that logs its own hooks and may refuse to quit.
class LoggingWindow : public BWindow {
public:
	LoggingWindow(HookLog* log, bool allowQuit = true)
		:
		BWindow(kFrame, UniqueTitle("window").c_str(), B_TITLED_WINDOW_LOOK,
			B_NORMAL_WINDOW_FEEL, B_NOT_RESIZABLE),
		fLog(log),
		fAllowQuit(allowQuit)
	{
	}
	bool QuitRequested() override
	{
		fLog->Add("window.QuitRequested", this);
		return fAllowQuit;
	}
	void MessageReceived(BMessage* message) override
	{
		fLog->Add(message->what == kPing ? "window.ping" : "window.MessageReceived", this);
		BWindow::MessageReceived(message);
	}

private:
	HookLog* fLog;
	bool fAllowQuit;
};

}  // namespace

TEST(BWindow, HooksRunOnTheWindowThreadWithTheWindowLocked)
{
	Watchdog watchdog;
	HookLog log;
	LoggingWindow* window = new LoggingWindow(&log);
	window->AddChild(new RecordingView(BRect(0, 0, 39, 29), "view", &log));
	log.Clear();  // AttachedToWindow ran in AddChild, on this thread
	ShownWindow shown(window);
	thread_id windowThread = window->Thread();

	shown.Host().InjectClick(shown.Id(), BPoint(5, 5));
	window->PostMessage(kPing);
	shown.Host().InjectClose(shown.Id());
	ASSERT_TRUE(shown.Host().WaitForClose(shown.Id()));

	const std::vector<std::string> expected = {"view.Draw", "view.MouseMoved entered",
		"view.MouseDown", "view.MouseUp", "window.ping", "window.QuitRequested"};
	EXPECT_EQ(log.Hooks(), expected);
	for (const HookRecord& record : log.Records()) {
		EXPECT_EQ(record.thread, windowThread) << record.hook;
		EXPECT_TRUE(record.locked) << record.hook;
	}
	EXPECT_NE(windowThread, find_thread(NULL));
}

TEST(BWindow, QuittingWindowDeletesItsViewsAndTheirChildren)
{
	Watchdog watchdog;
	HookLog log;
	std::atomic<bool> topDeleted(false);
	std::atomic<bool> childDeleted(false);
	BWindow* window = NewWindow(kFrame);
	RecordingView* top = new RecordingView(BRect(0, 0, 39, 29), "top", &log, &topDeleted);
	top->AddChild(new RecordingView(BRect(1, 1, 5, 5), "child", &log, &childDeleted));
	window->AddChild(top);
	ShownWindow shown(window);

	shown.Host().InjectClose(shown.Id());
	EXPECT_TRUE(testing_support::WaitUntil([&] { return topDeleted && childDeleted; }));
}

TEST(BWindow, WindowThatRefusesToQuitStaysOpen)
{
	Watchdog watchdog;
	HookLog log;
	ShownWindow shown(new LoggingWindow(&log, false));

	shown.Host().InjectClose(shown.Id());
	shown.Idle();
	EXPECT_TRUE(shown.Host().IsOpen(shown.Id()));
	EXPECT_EQ(log.Hooks(), std::vector<std::string>{"window.QuitRequested"});
}

TEST(BWindow, QuitFromAnotherThreadClosesTheHostWindow)
{
	Watchdog watchdog;
	std::atomic<bool> deleted(false);
	BWindow* window = NewWindow(kFrame);
	HookLog log;
	window->AddChild(new RecordingView(BRect(0, 0, 9, 9), "view", &log, &deleted));
	ShownWindow shown(window);

	ASSERT_TRUE(window->Lock());
	window->Quit();
	EXPECT_FALSE(shown.Host().IsOpen(shown.Id()));
	EXPECT_TRUE(deleted);  // Quit waited for the window's thread to delete it
}

TEST(BWindow, KeepsItsAttributesAndGivesThemToTheHost)
{
	Watchdog watchdog;
	std::string title = UniqueTitle("attributes");
	BWindow* window = new BWindow(kFrame, title.c_str(), B_TITLED_WINDOW_LOOK,
		B_NORMAL_WINDOW_FEEL, B_NOT_RESIZABLE | B_NOT_ZOOMABLE, B_CURRENT_WORKSPACE);
	EXPECT_TRUE(window->IsHidden());
	ShownWindow shown(window);

	EXPECT_EQ(window->Frame(), kFrame);
	EXPECT_EQ(window->Bounds(), BRect(0, 0, 39, 29));
	EXPECT_EQ(window->Look(), B_TITLED_WINDOW_LOOK);
	EXPECT_EQ(window->Feel(), B_NORMAL_WINDOW_FEEL);
	EXPECT_EQ(window->Flags(), (uint32)(B_NOT_RESIZABLE | B_NOT_ZOOMABLE));
	EXPECT_EQ(window->Workspaces(), (uint32)B_CURRENT_WORKSPACE);
	EXPECT_FALSE(window->IsHidden());

	platform::HeadlessWindowInfo info;
	ASSERT_TRUE(shown.Host().GetWindowInfo(shown.Id(), &info));
	EXPECT_EQ(info.frame, kFrame);
	EXPECT_EQ(info.title, title);
	EXPECT_EQ(info.flags, (uint32)(B_NOT_RESIZABLE | B_NOT_ZOOMABLE));
	EXPECT_TRUE(info.shown);
	EXPECT_EQ(info.width, 40);
	EXPECT_EQ(info.height, 30);
}

TEST(BWindow, FindViewAtPointGivesTheDeepestViewOnTop)
{
	HookLog log;
	BWindow* window = NewWindow(kFrame);
	RecordingView* back = new RecordingView(BRect(0, 0, 39, 29), "back", &log);
	RecordingView* child = new RecordingView(BRect(10, 10, 19, 19), "child", &log);
	RecordingView* over = new RecordingView(BRect(15, 0, 25, 29), "over", &log);
	back->AddChild(child);
	window->AddChild(back);
	window->AddChild(over);

	EXPECT_EQ(window->FindView(BPoint(12, 12)), child);
	EXPECT_EQ(window->FindView(BPoint(19, 19)), over);  // the later top view lies on top
	EXPECT_EQ(window->FindView(BPoint(0, 0)), back);
	EXPECT_EQ(window->FindView(BPoint(40, 0)), (BView*)NULL);
	EXPECT_EQ(window->FindView("child"), child);
	window->Quit();
}

TEST(BWindow, ExposePresentsTheBackBufferAgain)
{
	Watchdog watchdog;
	ShownWindow shown(NewWindow(kFrame));
	int32 before = shown.Host().PresentCount(shown.Id());

	shown.Host().InjectExpose(shown.Id());
	shown.Idle();
	EXPECT_GT(shown.Host().PresentCount(shown.Id()), before);
}
