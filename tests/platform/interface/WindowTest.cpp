#include <Message.h>
#include <Window.h>

#include "WindowTestSupport.h"

using namespace window_test;

namespace {

class LoggingWindow : public BWindow {
public:
	LoggingWindow(HookLog* log, bool allowQuit) :
		BWindow(BRect(100, 100, 139, 129), UniqueTitle("window").c_str(), B_TITLED_WINDOW_LOOK,
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
		fLog->Add("window.MessageReceived", this);
		BWindow::MessageReceived(message);
	}

private:
	HookLog* fLog;
	bool fAllowQuit;
};

}  // namespace

// Attaching runs parents' AttachedToWindow before their children's, on the attaching thread.
// Every hook after runs on the window's thread with the window locked, parents drawn before
// children; quitting deletes the views and their children.
TEST(BWindow, HooksRunOnTheWindowThreadWithTheWindowLocked)
{
	Watchdog watchdog;
	HookLog log;
	std::atomic<bool> viewDeleted(false), childDeleted(false);
	LoggingWindow* window = new LoggingWindow(&log, true);
	RecordingView* view = new RecordingView(BRect(0, 0, 39, 29), "view", &log, &viewDeleted);
	RecordingView* child = new RecordingView(BRect(30, 20, 35, 25), "child", &log, &childDeleted);
	view->AddChild(child);
	EXPECT_TRUE(log.Hooks().empty()) << "no window yet";
	window->AddChild(view);
	EXPECT_EQ(
		log.Hooks(), (std::vector<std::string>{"view.AttachedToWindow", "child.AttachedToWindow"}));
	EXPECT_EQ(child->Window(), window);
	EXPECT_EQ(child->Looper(), window);
	log.Clear();
	ShownWindow shown(window);
	thread_id windowThread = window->Thread();

	shown.Host().InjectClick(shown.Id(), BPoint(5, 5));
	window->PostMessage('ping');
	shown.Host().InjectClose(shown.Id());
	ASSERT_TRUE(shown.Host().WaitForClose(shown.Id()));

	const std::vector<std::string> expected = {"view.Draw", "child.Draw", "view.MouseMoved entered",
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
