#include <Message.h>
#include <View.h>
#include <Window.h>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "WindowTestSupport.h"

using namespace window_test;

namespace {

const BRect kFrame(100, 100, 159, 139);  // 60 x 40
const uint32 kUnhandled = 'unhd';

// Hands the message on, then notes that the call came back.
class PassingView : public BView {
public:
	PassingView(BRect frame, HookLog* log)
		: BView(frame, "passing", B_FOLLOW_NONE, 0), fLog(log) {}
	void MessageReceived(BMessage* message) override
	{
		BView::MessageReceived(message);
		fLog->Add("passing.returned", Window());
	}

private:
	HookLog* fLog;
};

// Follows a press with GetMouse until every button is up, as press tracking does.
class TrackingView : public BView {
public:
	TrackingView(BRect frame) : BView(frame, "tracking", B_FOLLOW_NONE, 0) {}
	void MouseDown(BPoint) override
	{
		uint32 buttons = 1;
		while (buttons != 0) {
			BPoint where;
			GetMouse(&where, &buttons, true);
			std::lock_guard<std::mutex> lock(fMutex);
			fSeen.push_back(where);
		}
	}
	std::vector<BPoint> Seen()
	{
		std::lock_guard<std::mutex> lock(fMutex);
		return fSeen;
	}

private:
	std::mutex fMutex;
	std::vector<BPoint> fSeen;
};

// Logs its hooks, and follows a press with GetMouse until the buttons are up.
class LoggingTrackingView : public RecordingView {
public:
	LoggingTrackingView(BRect frame, HookLog* log) : RecordingView(frame, "view", log) {}
	void MouseDown(BPoint where) override
	{
		RecordingView::MouseDown(where);
		for (uint32 buttons = 1; buttons != 0;) {
			BPoint at;
			GetMouse(&at, &buttons, true);
		}
	}
};

// Counts its Draw calls.
class CountingView : public BView {
public:
	CountingView(BRect frame) : BView(frame, "counting", B_FOLLOW_NONE, B_WILL_DRAW) {}
	void Draw(BRect) override { draws++; }
	std::atomic<int> draws{0};
};

}  // namespace

TEST(BView, StartsWithWhiteViewColourBlackHighAndWhiteLow)
{
	BView view(BRect(0, 0, 9, 9), "view", B_FOLLOW_NONE, 0);
	EXPECT_EQ(view.ViewColor(), (rgb_color{255, 255, 255, 255}));
	EXPECT_EQ(view.HighColor(), (rgb_color{0, 0, 0, 255}));
	EXPECT_EQ(view.LowColor(), (rgb_color{255, 255, 255, 255}));
	EXPECT_EQ(view.PenLocation(), BPoint(0, 0));
}

TEST(BView, BoundsStartAtZeroAndFrameIsInTheParent)
{
	BView view(BRect(10, 20, 49, 29), "view", B_FOLLOW_NONE, 0);
	EXPECT_EQ(view.Bounds(), BRect(0, 0, 39, 9));
	EXPECT_EQ(view.Frame(), BRect(10, 20, 49, 29));
}

TEST(BView, AttachingCallsAttachedToWindowParentsBeforeChildren)
{
	HookLog log;
	BWindow* window = NewWindow(kFrame);
	RecordingView* parent = new RecordingView(BRect(0, 0, 59, 39), "parent", &log);
	RecordingView* child = new RecordingView(BRect(5, 5, 20, 20), "child", &log);
	parent->AddChild(child);
	EXPECT_TRUE(log.Hooks().empty());  // no window yet
	EXPECT_EQ(child->Parent(), parent);

	window->AddChild(parent);
	EXPECT_EQ(log.Hooks(),
		(std::vector<std::string>{"parent.AttachedToWindow", "child.AttachedToWindow"}));
	EXPECT_EQ(parent->Window(), window);
	EXPECT_EQ(child->Window(), window);
	EXPECT_EQ(child->Looper(), window);
	window->Quit();
}

TEST(BView, RemoveChildDetachesWithoutDeleting)
{
	HookLog log;
	std::atomic<bool> deleted(false);
	BWindow* window = NewWindow(kFrame);
	RecordingView* parent = new RecordingView(BRect(0, 0, 59, 39), "parent", &log);
	RecordingView* child = new RecordingView(BRect(5, 5, 20, 20), "child", &log, &deleted);
	parent->AddChild(child);
	window->AddChild(parent);
	log.Clear();

	EXPECT_TRUE(parent->RemoveChild(child));
	EXPECT_EQ(log.Hooks(), std::vector<std::string>{"child.DetachedFromWindow"});
	EXPECT_EQ(child->Parent(), (BView*)NULL);
	EXPECT_EQ(child->Window(), (BWindow*)NULL);
	EXPECT_FALSE(parent->RemoveChild(child));
	window->Quit();
	EXPECT_FALSE(deleted);
	delete child;
	EXPECT_TRUE(deleted);
}

TEST(BView, DeletingAViewDeletesItsChildren)
{
	HookLog log;
	std::atomic<bool> childDeleted(false);
	std::atomic<bool> grandchildDeleted(false);
	RecordingView* parent = new RecordingView(BRect(0, 0, 59, 39), "parent", &log);
	RecordingView* child = new RecordingView(BRect(0, 0, 9, 9), "child", &log, &childDeleted);
	child->AddChild(new RecordingView(BRect(0, 0, 1, 1), "grandchild", &log,
		&grandchildDeleted));
	parent->AddChild(child);
	delete parent;
	EXPECT_TRUE(childDeleted);
	EXPECT_TRUE(grandchildDeleted);
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

	BMessage message(kUnhandled);
	ASSERT_EQ(window->PostMessage(&message, child), B_OK);
	shown.Idle();
	EXPECT_EQ(log.Hooks(),
		(std::vector<std::string>{"parent.MessageReceived", "passing.returned"}));
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

	platform::HeadlessHost& host = shown.Host();
	host.InjectMouseMove(shown.Id(), BPoint(2, 2));
	host.InjectMouseMove(shown.Id(), BPoint(3, 2));
	host.InjectMouseMove(shown.Id(), BPoint(12, 12));
	host.InjectMouseMove(shown.Id(), BPoint(25, 25));
	host.InjectMouseMove(shown.Id(), BPoint(45, 5));  // in the window, on no view
	shown.Idle();

	const std::vector<std::string> expected = {
		"outer.MouseMoved entered",
		"outer.MouseMoved inside",
		"inner.MouseMoved entered", "outer.MouseMoved inside",
		"inner.MouseMoved exited", "outer.MouseMoved inside",
		"outer.MouseMoved exited"};
	EXPECT_EQ(log.Hooks(), expected);
}

TEST(BView, GetMouseDuringAPressSeesPositionsOutsideTheWindow)
{
	Watchdog watchdog;
	BWindow* window = NewWindow(kFrame);
	TrackingView* view = new TrackingView(BRect(10, 10, 29, 29));
	window->AddChild(view);
	ShownWindow shown(window);

	// All queued before the window takes the press: the loop then reads them in order.
	platform::HeadlessHost& host = shown.Host();
	ASSERT_TRUE(window->Lock());
	host.InjectMouseDown(shown.Id(), BPoint(15, 15));
	host.InjectMouseMove(shown.Id(), BPoint(-50, -20));
	host.InjectMouseMove(shown.Id(), BPoint(500, 300));
	host.InjectMouseUp(shown.Id(), BPoint(500, 300));
	window->Unlock();
	shown.Idle();

	// In the view's coordinates; the last one is the release.
	EXPECT_EQ(view->Seen(),
		(std::vector<BPoint>{BPoint(-60, -30), BPoint(490, 290), BPoint(490, 290)}));
}

TEST(BView, PointerMovesTakenByGetMouseStillCountForTransits)
{
	Watchdog watchdog;
	HookLog log;
	BWindow* window = NewWindow(kFrame);
	window->AddChild(new LoggingTrackingView(BRect(10, 10, 29, 29), &log));
	ShownWindow shown(window);
	platform::HeadlessHost& host = shown.Host();
	host.InjectMouseMove(shown.Id(), BPoint(15, 15));
	shown.Idle();
	log.Clear();

	ASSERT_TRUE(window->Lock());
	host.InjectMouseDown(shown.Id(), BPoint(15, 15));
	host.InjectMouseMove(shown.Id(), BPoint(50, 35));
	host.InjectMouseUp(shown.Id(), BPoint(50, 35));
	window->Unlock();
	host.InjectMouseMove(shown.Id(), BPoint(16, 16));
	shown.Idle();

	EXPECT_EQ(log.Hooks(),
		(std::vector<std::string>{"view.MouseDown", "view.MouseMoved entered"}));
}

TEST(BView, GetMouseWithoutTheQueueReadsTheLivePointer)
{
	Watchdog watchdog;
	BWindow* window = NewWindow(kFrame);
	BView* view = new BView(BRect(10, 10, 29, 29), "view", B_FOLLOW_NONE, 0);
	window->AddChild(view);
	ShownWindow shown(window);

	shown.Host().InjectPointer(shown.Id(), BPoint(-30, 400), B_SECONDARY_MOUSE_BUTTON);
	BPoint where;
	uint32 buttons = 0;
	shown.OnThread([&] { view->GetMouse(&where, &buttons, false); });
	EXPECT_EQ(where, BPoint(-40, 390));
	EXPECT_EQ(buttons, (uint32)B_SECONDARY_MOUSE_BUTTON);
	shown.Host().InjectMouseUp(shown.Id(), BPoint(-30, 400));
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
