#include <Entry.h>
#include <Message.h>
#include <View.h>
#include <Window.h>

#include <gtest/gtest.h>

#include "../interface/WindowTestSupport.h"
#include "TestSupport.h"

using namespace window_test;

namespace {

const BRect kFrame(100, 100, 159, 139);  // 60 x 40

// Keeps the last dropped message it was given.
class DropView : public RecordingView {
public:
	DropView(BRect frame, const char* name, HookLog* log) : RecordingView(frame, name, log) {}
	void MessageReceived(BMessage* message) override
	{
		fLast = *message;
		RecordingView::MessageReceived(message);
	}
	BMessage fLast;
};

// Two views side by side over a background, on the headless host.
class DragFixture : public ::testing::Test {
protected:
	void SetUp() override
	{
		BWindow* window = NewWindow(kFrame, "drag");
		fBack = new RecordingView(window->Bounds(), "back", &fLog);
		fLeft = new DropView(BRect(0, 0, 19, 19), "left", &fLog);
		fRight = new DropView(BRect(30, 0, 49, 19), "right", &fLog);
		fBack->AddChild(fLeft);
		fBack->AddChild(fRight);
		window->AddChild(fBack);
		fShown.reset(new ShownWindow(window));
		fLog.Clear();
	}
	void TearDown() override { fShown.reset(); }

	platform::HeadlessHost& Host() { return fShown->Host(); }
	platform::host_window_id Id() { return fShown->Id(); }

	Watchdog fWatchdog;
	HookLog fLog;
	RecordingView* fBack;
	DropView* fLeft;
	DropView* fRight;
	std::unique_ptr<ShownWindow> fShown;
	testing_support::TempDir fDir;
};

}  // namespace

TEST_F(DragFixture, DragOverViewsGivesMouseMovedWithTheDragMessage)
{
	BMessage drag = platform::HeadlessHost::DragMessageFromPaths({fDir.Make("file")});
	Host().InjectDragMotion(Id(), BPoint(5, 5), drag);
	Host().InjectDragMotion(Id(), BPoint(6, 5), drag);
	Host().InjectDragMotion(Id(), BPoint(35, 5), drag);
	Host().InjectDragExit(Id());
	fShown->Idle();

	const std::vector<std::string> expected = {
		"left.MouseMoved entered drag", "back.MouseMoved entered drag",
		"left.MouseMoved inside drag", "back.MouseMoved inside drag",
		"left.MouseMoved exited drag", "right.MouseMoved entered drag",
		"back.MouseMoved inside drag",
		"right.MouseMoved exited drag", "back.MouseMoved exited drag"};
	EXPECT_EQ(fLog.Hooks(), expected);
}

TEST_F(DragFixture, DropReachesTheViewUnderThePointerMarkedAsDropped)
{
	std::string file = fDir.Make("dropped");
	BMessage drag = platform::HeadlessHost::DragMessageFromPaths({file});
	Host().InjectDragMotion(Id(), BPoint(35, 5), drag);
	Host().InjectDrop(Id(), BPoint(35, 5), drag);
	fShown->Idle();

	// The right view hands it on to its parent; no exit follows the drop.
	const std::vector<std::string> expected = {
		"right.MouseMoved entered drag", "back.MouseMoved entered drag",
		"right.MessageReceived dropped", "back.MessageReceived dropped"};
	EXPECT_EQ(fLog.Hooks(), expected);
	EXPECT_TRUE(fRight->fLast.WasDropped());
	EXPECT_EQ(fRight->fLast.DropPoint(), BPoint(135, 105));  // on the screen
	entry_ref ref;
	ASSERT_EQ(fRight->fLast.FindRef("refs", &ref), B_OK);
	EXPECT_STREQ(ref.name, "dropped");
}
