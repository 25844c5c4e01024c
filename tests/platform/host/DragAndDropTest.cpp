#include <Entry.h>
#include <Message.h>
#include <Window.h>

#include <atomic>
#include <sstream>
#include <thread>

#include "../interface/WindowTestSupport.h"
#include "host/HostInput.h"

using namespace window_test;
using namespace testing_support;

namespace {

// Keeps the last message it was given: a dropped one, handed on by the view under the drop.
class DropView : public RecordingView {
public:
	using RecordingView::RecordingView;
	void MessageReceived(BMessage* message) override
	{
		last = *message;
		RecordingView::MessageReceived(message);
	}
	BMessage last;
};

// Shows two views side by side over a background, at (100, 100) on the screen, and drags
// over them along the steps ("m5": a motion to (5, 5), "x": the exit, "d5": the drop), each
// handled before the next unless busy: then all come while the window is busy. Returns the
// hooks they led to, and the message dropped last.
std::vector<std::string> Drag(const BMessage& drag, const char* steps, bool busy, BMessage* dropped)
{
	HookLog log;
	BWindow* window = NewWindow(BRect(100, 100, 159, 139), "drag");
	DropView* back = new DropView(window->Bounds(), "back", &log);
	back->AddChild(new RecordingView(BRect(0, 0, 19, 19), "left", &log));
	back->AddChild(new RecordingView(BRect(30, 0, 49, 19), "right", &log));
	window->AddChild(back);
	TestWindow shown(window);
	log.Clear();
	std::atomic<bool> held(!busy), release(false);
	std::thread blocker([&] {
		if (busy)
			shown.RunOnThread([&] {
				held = true;
				WaitUntil([&] { return release.load(); });
			});
	});
	EXPECT_TRUE(WaitUntil([&] { return held.load(); }));
	std::istringstream in(steps);
	char step;
	float x = 0;
	while (in >> step && (step == 'x' || in >> x)) {
		if (step == 'm')
			shown.DragMotion(BPoint(x, 5), drag);
		else if (step == 'd')
			shown.Drop(BPoint(x, 5), drag);
		else
			shown.DragExit();
		EXPECT_TRUE(busy || shown.WaitForIdle());
	}
	release = true;
	blocker.join();
	EXPECT_TRUE(shown.WaitForIdle());
	*dropped = back->last;
	return log.Hooks();
}

}  // namespace

// The host hands on a desktop's URI list raw; the window makes it the drag message, with refs.
TEST(DragAndDrop, UriListCrossesTheViewsAndDropsAsRefsOnTheOneUnderThePointer)
{
	Watchdog watchdog;
	TempDir dir;
	BMessage drag = DragFromUriList("file://" + dir.Make("dropped") + "\n");
	BMessage dropped;
	const std::vector<std::string> expected = {"left.MouseMoved entered drag",
		"back.MouseMoved entered drag", "left.MouseMoved exited drag",
		"right.MouseMoved entered drag", "back.MouseMoved inside drag",
		"right.MouseMoved exited drag", "back.MouseMoved exited drag",
		"right.MouseMoved entered drag", "back.MouseMoved entered drag",
		"right.MessageReceived dropped", "back.MessageReceived dropped"};
	EXPECT_EQ(Drag(drag, "m5 m35 x m35 d35", false, &dropped), expected);
	EXPECT_TRUE(dropped.WasDropped());
	EXPECT_EQ(dropped.DropPoint(), BPoint(135, 105));
	entry_ref ref;
	ASSERT_EQ(dropped.FindRef("refs", &ref), B_OK);
	EXPECT_STREQ(ref.name, "dropped");
}

// Dragged text costs the window a bounded preview, made once per drag; the motions that come
// while the window is busy wait as one and carry no copy of the data.
TEST(DragAndDrop, LargeTextDragCostsABoundedPreviewAndItsMotionsCoalesce)
{
	Watchdog watchdog;
	const std::string text(32 << 20, 'a');
	if (!ResetPeakResident())
		GTEST_SKIP() << "the peak of resident memory cannot be reset here";
	long before = ResidentKiB();
	BMessage dropped;
	const std::vector<std::string> expected = {"left.MouseMoved entered drag",
		"back.MouseMoved entered drag", "left.MessageReceived dropped",
		"back.MessageReceived dropped"};
	EXPECT_EQ(Drag(TextDrag(text.c_str()), "m5 m6 m7 m8 d8", true, &dropped), expected);
	EXPECT_LT(PeakResidentKiB() - before, 48 * 1024) << "KiB";
	const void* data = NULL;
	ssize_t size = 0;
	ASSERT_EQ(dropped.FindData("text/plain", B_MIME_TYPE, &data, &size), B_OK);
	EXPECT_EQ(size_t(size), platform::kMaxDragTextPreview);
}
