#include <Message.h>
#include <View.h>
#include <Window.h>

#include "WindowTestSupport.h"

using namespace window_test;

namespace {

const BRect kFrame(100, 100, 159, 139);  // 60 x 40

// Hands messages on, then notes that the call came back; follows a press with GetMouse,
// noting the positions; counts its draws.
class TrackingView : public RecordingView {
public:
	TrackingView(BRect frame, HookLog* log) :
		RecordingView(frame, "view", log)
	{
	}
	void MessageReceived(BMessage* message) override
	{
		BView::MessageReceived(message);
		Add("view.returned");
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
	void Draw(BRect) override { draws++; }
	void Add(const char* hook) { log->Add(hook, Window()); }

	HookLog* log;
	std::vector<BPoint> seen;  // read once the window is idle
	std::atomic<int> draws{0};
};

// A window with an outer view (0, 0, 29, 29) holding the tracking view (10, 10, 19, 19).
struct Views {
	Views() :
		window(NewWindow(kFrame)),
		outer(new RecordingView(BRect(0, 0, 29, 29), "outer", &log)),
		view(new TrackingView(BRect(10, 10, 19, 19), &log))
	{
		view->log = &log;
		outer->AddChild(view);
		window->AddChild(outer);
		shown.reset(new ShownWindow(window));
		log.Clear();
	}
	Watchdog watchdog;
	HookLog log;
	BWindow* window;
	RecordingView* outer;
	TrackingView* view;
	std::unique_ptr<ShownWindow> shown;
};

}  // namespace

TEST(BView, UnhandledMessageGoesToTheParentWithinTheSameCall)
{
	Views views;
	BMessage message('unhd');
	ASSERT_EQ(views.window->PostMessage(&message, views.view), B_OK);
	views.shown->Idle();
	EXPECT_EQ(
		views.log.Hooks(), (std::vector<std::string>{"outer.MessageReceived", "view.returned"}));
}

TEST(BView, PointerMovesGiveEnteredInsideAndExitedPerView)
{
	Views views;
	for (BPoint where : {BPoint(2, 2), BPoint(3, 2), BPoint(12, 12), BPoint(25, 25),
			 BPoint(45, 5)})  // the last in the window but on no view
		views.shown->Host().InjectMouseMove(views.shown->Id(), where);
	views.shown->Idle();

	const std::vector<std::string> expected = {"outer.MouseMoved entered",
		"outer.MouseMoved inside", "view.MouseMoved entered", "outer.MouseMoved inside",
		"view.MouseMoved exited", "outer.MouseMoved inside", "outer.MouseMoved exited"};
	EXPECT_EQ(views.log.Hooks(), expected);
}

// Moves that the press loop takes still count for the transits: the move back in after the
// press has left the window enters the view.
TEST(BView, GetMouseDuringAPressSeesPositionsOutsideTheWindowAndTheyCountForTransits)
{
	Views views;
	platform::HeadlessHost& host = views.shown->Host();
	platform::host_window_id id = views.shown->Id();
	host.InjectMouseMove(id, BPoint(15, 15));
	views.shown->Idle();
	views.log.Clear();

	// All queued before the window takes the press: the loop then reads them in order.
	ASSERT_TRUE(views.window->Lock());
	host.InjectMouseDown(id, BPoint(15, 15));
	host.InjectMouseMove(id, BPoint(-50, -20));
	host.InjectMouseMove(id, BPoint(500, 300));
	host.InjectMouseUp(id, BPoint(500, 300));
	views.window->Unlock();
	host.InjectMouseMove(id, BPoint(16, 16));
	views.shown->Idle();

	// In the view's coordinates; the last one is the release.
	EXPECT_EQ(views.view->seen,
		(std::vector<BPoint>{BPoint(-60, -30), BPoint(490, 290), BPoint(490, 290)}));
	EXPECT_EQ(views.log.Hooks(),
		(std::vector<std::string>{
			"view.MouseDown", "view.MouseMoved entered", "outer.MouseMoved entered"}));
}

TEST(BView, InvalidateDrawsLaterOnTheWindowThreadOnceForSeveralRequests)
{
	Views views;
	int before = views.view->draws, duringCall = -1;
	views.shown->OnThread([&] {
		views.view->Invalidate();
		views.view->Invalidate(BRect(0, 0, 3, 3));
		duringCall = views.view->draws;
	});
	EXPECT_EQ(duringCall, before);
	EXPECT_EQ(views.view->draws, before + 1);
}
