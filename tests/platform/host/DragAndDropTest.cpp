#include <Entry.h>
#include <Message.h>
#include <View.h>
#include <Window.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "../interface/WindowTestSupport.h"
#include "TestSupport.h"
#include "host/HostMessages.h"

using namespace window_test;

namespace {

const BRect kFrame(100, 100, 159, 139);  // 60 x 40

// Keeps the last dropped message it was given.
class DropView : public RecordingView {
public:
	DropView(BRect frame, const char* name, HookLog* log) :
		RecordingView(frame, name, log)
	{
	}
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
	// Each handled before the next comes: motions queued one after the other coalesce.
	for (BPoint where : {BPoint(5, 5), BPoint(6, 5), BPoint(35, 5)}) {
		Host().InjectDragMotion(Id(), where, drag);
		fShown->Idle();
	}
	Host().InjectDragExit(Id());
	fShown->Idle();

	const std::vector<std::string> expected = {"left.MouseMoved entered drag",
		"back.MouseMoved entered drag", "left.MouseMoved inside drag",
		"back.MouseMoved inside drag", "left.MouseMoved exited drag",
		"right.MouseMoved entered drag", "back.MouseMoved inside drag",
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
	const std::vector<std::string> expected = {"right.MouseMoved entered drag",
		"back.MouseMoved entered drag", "right.MessageReceived dropped",
		"back.MessageReceived dropped"};
	EXPECT_EQ(fLog.Hooks(), expected);
	EXPECT_TRUE(fRight->fLast.WasDropped());
	EXPECT_EQ(fRight->fLast.DropPoint(), BPoint(135, 105));  // on the screen
	entry_ref ref;
	ASSERT_EQ(fRight->fLast.FindRef("refs", &ref), B_OK);
	EXPECT_STREQ(ref.name, "dropped");
}

// Dragged text costs the window a bounded preview, made once per drag; the motions that come
// while the window is busy wait as one and carry no copy of the data.
TEST_F(DragFixture, LargeTextDragCostsABoundedPreviewAndItsMotionsCoalesce)
{
	const std::string text(32 << 20, 'a');
	if (!testing_support::ResetPeakResident())
		GTEST_SKIP() << "the peak of resident memory cannot be reset here";
	long before = testing_support::ResidentKiB();
	std::atomic<bool> busy(false), release(false);
	std::thread blocker([&] {
		Host().RunOnWindowThread(Id(), [&] {
			busy = true;
			testing_support::WaitUntil([&] { return release.load(); });
		});
	});
	ASSERT_TRUE(testing_support::WaitUntil([&] { return busy.load(); }));
	for (int x = 5; x < 9; x++) {
		Host().InjectDragMotion(
			Id(), BPoint(x, 5), platform::HeadlessHost::TextDragMessage(text.c_str()));
	}
	Host().InjectDrop(Id(), BPoint(8, 5), platform::HeadlessHost::TextDragMessage(text.c_str()));
	release = true;
	blocker.join();
	fShown->Idle();
	long growth = testing_support::PeakResidentKiB() - before;
	testing_support::RecordFigure("drag.text_32mib.peak_growth_kib", growth);

	EXPECT_LT(growth, 48 * 1024) << "KiB";
	const std::vector<std::string> expected = {"left.MouseMoved entered drag",
		"back.MouseMoved entered drag", "left.MessageReceived dropped",
		"back.MessageReceived dropped"};
	EXPECT_EQ(fLog.Hooks(), expected);
	const void* data = NULL;
	ssize_t size = 0;
	ASSERT_EQ(fLeft->fLast.FindData("text/plain", B_MIME_TYPE, &data, &size), B_OK);
	EXPECT_EQ(size_t(size), platform::kMaxDragTextPreview);
}
