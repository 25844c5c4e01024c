#include <Message.h>
#include <View.h>
#include <Window.h>

#include "WindowTestSupport.h"

using namespace window_test;

namespace {

const BRect kFrame(100, 100, 111, 109);  // 12 x 10

}  // namespace

// Attaching runs parents' AttachedToWindow before their children's, on the attaching thread.
// Every later hook runs on the window's thread with the window locked, parents drawn before
// children; closing the window deletes the views.
TEST(BWindow, HooksRunOnTheWindowThreadWithTheWindowLocked)
{
	Watchdog watchdog;
	HookLog log;
	std::atomic<bool> viewDeleted(false), childDeleted(false);
	BWindow* window = NewWindow(kFrame);
	RecordingView* view = new RecordingView(BRect(0, 0, 11, 9), "view", &log, &viewDeleted);
	RecordingView* child = new RecordingView(BRect(2, 2, 9, 7), "child", &log, &childDeleted);
	view->AddChild(child);
	EXPECT_TRUE(log.Hooks().empty()) << "no window yet";
	window->AddChild(view);
	EXPECT_EQ(
		log.Hooks(), (std::vector<std::string>{"view.AttachedToWindow", "child.AttachedToWindow"}));
	EXPECT_EQ(child->Looper(), window);
	log.Clear();
	TestWindow shown(window);
	thread_id windowThread = window->Thread();

	shown.Click(BPoint(0, 0));
	window->PostMessage('ping', view);
	shown.Close();
	ASSERT_TRUE(shown.WaitForClose());

	EXPECT_EQ(log.Hooks(),
		(std::vector<std::string>{"view.Draw", "child.Draw", "view.MouseMoved entered",
			"view.MouseDown", "view.MouseUp", "view.MessageReceived"}));
	for (const HookRecord& record : log.Records()) {
		EXPECT_EQ(record.thread, windowThread) << record.hook;
		EXPECT_TRUE(record.locked) << record.hook;
	}
	EXPECT_NE(windowThread, find_thread(NULL));
	EXPECT_TRUE(testing_support::WaitUntil([&] { return viewDeleted && childDeleted; }));
}

TEST(BView, InvalidateDrawsLaterOnTheWindowThreadOnceForSeveralRequests)
{
	Watchdog watchdog;
	HookLog log;
	BWindow* window = NewWindow(kFrame);
	BView* view = new RecordingView(BRect(0, 0, 9, 9), "view", &log);
	window->AddChild(view);
	TestWindow shown(window);
	log.Clear();
	size_t duringCall = 99;
	EXPECT_TRUE(shown.RunOnThread([&] {
		view->Invalidate();
		view->Invalidate(BRect(0, 0, 3, 3));
		duringCall = log.Hooks().size();
	}) && shown.WaitForIdle());
	EXPECT_EQ(duringCall, 0u);
	EXPECT_EQ(log.Hooks(), std::vector<std::string>{"view.Draw"});
}
