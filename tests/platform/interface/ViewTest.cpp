#include <Message.h>
#include <View.h>
#include <Window.h>

#include "WindowTestSupport.h"

using namespace window_test;

namespace {

const BRect kFrame(100, 100, 159, 139);  // 60 x 40

// Hands the message on, then notes that the call came back.
class PassingView : public BView {
public:
	PassingView(BRect frame, HookLog* log) :
		BView(frame, "passing", B_FOLLOW_NONE, 0),
		fLog(log)
	{
	}
	void MessageReceived(BMessage* message) override
	{
		BView::MessageReceived(message);
		fLog->Add("passing.returned", Window());
	}

private:
	HookLog* fLog;
};

// Logs its hooks and the positions GetMouse gives while it follows a press.
class TrackingView : public RecordingView {
public:
	TrackingView(BRect frame, HookLog* log) :
		RecordingView(frame, "view", log)
	{
	}
	void MouseDown(BPoint where) override
	{
		RecordingView::MouseDown(where);
		for (uint32 buttons = 1; buttons != 0;) {
			BPoint at;
			GetMouse(&at, &buttons, true);
			seen.push_back(at);
		}
	}
	std::vector<BPoint> seen;  // read once the window is idle
};

class CountingView : public BView {
public:
	CountingView(BRect frame) :
		BView(frame, "counting", B_FOLLOW_NONE, B_WILL_DRAW)
	{
	}
	void Draw(BRect) override { draws++; }
	std::atomic<int> draws{0};
};

}  // namespace

TEST(BView, AttachingCallsAttachedToWindowParentsBeforeChildren)
{
	HookLog log;
	BWindow* window = NewWindow(kFrame);
	RecordingView* parent = new RecordingView(BRect(0, 0, 59, 39), "parent", &log);
	RecordingView* child = new RecordingView(BRect(5, 5, 20, 20), "child", &log);
	parent->AddChild(child);
	EXPECT_TRUE(log.Hooks().empty());  // no window yet

	window->AddChild(parent);
	EXPECT_EQ(log.Hooks(),
		(std::vector<std::string>{"parent.AttachedToWindow", "child.AttachedToWindow"}));
	EXPECT_EQ(child->Window(), window);
	EXPECT_EQ(child->Looper(), window);
	window->Quit();
}

TEST(BView, UnhandledMessageGoesToTheParentWithinTheSameCall)
{
	Watchdog watchdog;
	HookLog log;
	BWindow* window = NewWindow(kFrame);
	RecordingView* parent = new RecordingView(BRect(0, 0, 59, 39), "parent", &log);
	PassingView* child = new PassingView(BRect(5, 5, 20, 20), &log);
	parent->AddChild(child);
	window->AddChild(parent);
	ShownWindow shown(window);
	log.Clear();

	BMessage message('unhd');
	ASSERT_EQ(window->PostMessage(&message, child), B_OK);
	shown.Idle();
	EXPECT_EQ(
		log.Hooks(), (std::vector<std::string>{"parent.MessageReceived", "passing.returned"}));
}

TEST(BView, PointerMovesGiveEnteredInsideAndExitedPerView)
{
	Watchdog watchdog;
	HookLog log;
	BWindow* window = NewWindow(kFrame);
	RecordingView* outer = new RecordingView(BRect(0, 0, 29, 29), "outer", &log);
	outer->AddChild(new RecordingView(BRect(10, 10, 19, 19), "inner", &log));
	window->AddChild(outer);
	ShownWindow shown(window);
	log.Clear();

	for (BPoint where : {BPoint(2, 2), BPoint(3, 2), BPoint(12, 12), BPoint(25, 25),
			 BPoint(45, 5)})  // the last in the window but on no view
		shown.Host().InjectMouseMove(shown.Id(), where);
	shown.Idle();

	const std::vector<std::string> expected = {"outer.MouseMoved entered",
		"outer.MouseMoved inside", "inner.MouseMoved entered", "outer.MouseMoved inside",
		"inner.MouseMoved exited", "outer.MouseMoved inside", "outer.MouseMoved exited"};
	EXPECT_EQ(log.Hooks(), expected);
}

// Moves that the press loop takes still count for the transits: the move back in after the
// press has left the window enters the view.
TEST(BView, GetMouseDuringAPressSeesPositionsOutsideTheWindowAndTheyCountForTransits)
{
	Watchdog watchdog;
	HookLog log;
	BWindow* window = NewWindow(kFrame);
	TrackingView* view = new TrackingView(BRect(10, 10, 29, 29), &log);
	window->AddChild(view);
	ShownWindow shown(window);
	platform::HeadlessHost& host = shown.Host();
	host.InjectMouseMove(shown.Id(), BPoint(15, 15));
	shown.Idle();
	log.Clear();

	// All queued before the window takes the press: the loop then reads them in order.
	ASSERT_TRUE(window->Lock());
	host.InjectMouseDown(shown.Id(), BPoint(15, 15));
	host.InjectMouseMove(shown.Id(), BPoint(-50, -20));
	host.InjectMouseMove(shown.Id(), BPoint(500, 300));
	host.InjectMouseUp(shown.Id(), BPoint(500, 300));
	window->Unlock();
	host.InjectMouseMove(shown.Id(), BPoint(16, 16));
	shown.Idle();

	// In the view's coordinates; the last one is the release.
	EXPECT_EQ(
		view->seen, (std::vector<BPoint>{BPoint(-60, -30), BPoint(490, 290), BPoint(490, 290)}));
	EXPECT_EQ(log.Hooks(), (std::vector<std::string>{"view.MouseDown", "view.MouseMoved entered"}));
}

TEST(BView, InvalidateDrawsLaterOnTheWindowThreadOnceForSeveralRequests)
{
	Watchdog watchdog;
	BWindow* window = NewWindow(kFrame);
	CountingView* view = new CountingView(BRect(0, 0, 19, 19));
	window->AddChild(view);
	ShownWindow shown(window);
	int before = view->draws;

	int duringCall = -1;
	shown.OnThread([&] {
		view->Invalidate();
		view->Invalidate(BRect(0, 0, 3, 3));
		duringCall = view->draws;
	});
	EXPECT_EQ(duringCall, before);
	EXPECT_EQ(view->draws, before + 1);
}
