#include <Message.h>
#include <Window.h>

#include "TestSupport.h"
#include "WindowTestSupport.h"

using namespace window_test;

namespace {

const BRect kFrame(100, 100, 139, 129);  // 40 x 30

class LoggingWindow : public BWindow {
public:
	LoggingWindow(HookLog* log, bool allowQuit = true) :
		BWindow(kFrame, UniqueTitle("window").c_str(), B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL,
			B_NOT_RESIZABLE),
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
		fLog->Add("window.MessageReceived", this);
		BWindow::MessageReceived(message);
	}

private:
	HookLog* fLog;
	bool fAllowQuit;
};

}  // namespace

// And quitting the window deletes its views and their children.
TEST(BWindow, HooksRunOnTheWindowThreadWithTheWindowLocked)
{
	Watchdog watchdog;
	HookLog log, childLog;
	std::atomic<bool> viewDeleted(false), childDeleted(false);
	LoggingWindow* window = new LoggingWindow(&log);
	RecordingView* view = new RecordingView(BRect(0, 0, 39, 29), "view", &log, &viewDeleted);
	view->AddChild(new RecordingView(BRect(30, 20, 35, 25), "child", &childLog, &childDeleted));
	window->AddChild(view);
	log.Clear();  // AttachedToWindow ran in AddChild, on this thread
	ShownWindow shown(window);
	thread_id windowThread = window->Thread();

	shown.Host().InjectClick(shown.Id(), BPoint(5, 5));
	window->PostMessage('ping');
	shown.Host().InjectClose(shown.Id());
	ASSERT_TRUE(shown.Host().WaitForClose(shown.Id()));

	const std::vector<std::string> expected = {"view.Draw", "view.MouseMoved entered",
		"view.MouseDown", "view.MouseUp", "window.MessageReceived", "window.QuitRequested"};
	EXPECT_EQ(log.Hooks(), expected);
	for (const HookRecord& record : log.Records()) {
		EXPECT_EQ(record.thread, windowThread) << record.hook;
		EXPECT_TRUE(record.locked) << record.hook;
	}
	EXPECT_NE(windowThread, find_thread(NULL));
	EXPECT_TRUE(testing_support::WaitUntil([&] { return viewDeleted && childDeleted; }));
}

TEST(BWindow, WindowThatRefusesToQuitStaysOpen)
{
	Watchdog watchdog;
	HookLog log;
	ShownWindow shown(new LoggingWindow(&log, false));
	shown.Host().InjectClose(shown.Id());
	shown.Idle();
	EXPECT_TRUE(shown.Host().IsOpen(shown.Id()));
}
