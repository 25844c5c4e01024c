#include <Entry.h>
#include <Window.h>

#include <atomic>
#include <sstream>
#include <thread>

#include "TestSupport.h"
#include "TestWindow.h"
#include "interface/HostWindowLink.h"
#include "interface/WindowHostInput.h"
#include "interface/WindowMessages.h"

using namespace platform;
using namespace testing_support;

namespace {

const BRect kFrame(100, 100, 111, 109);  // 12 x 10

// Shows two views side by side over a background, at (100, 100) on the screen, and drags
// over them along the steps ("m5": a motion to (5, 5), "x": the exit, "d5": the drop), each
// handled before the next unless busy: then all come while the window is busy. Returns the
// hooks they led to, and the message dropped last.
std::vector<std::string> Drag(const BMessage& drag, const char* steps, bool busy, BMessage* dropped)
{
	HookLog log;
	BWindow* window = NewWindow(BRect(100, 100, 159, 139), "drag");
	BView* back = new RecordingView(window->Bounds(), "back", &log);
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
	std::vector<BMessage> received = log.Messages();
	*dropped = received.empty() ? BMessage() : received.back();
	return log.Hooks();
}

// A looper that never runs: what the input posts waits in its queue.
class Inbox : public BLooper {
public:
	BMessage* Take()
	{
		return TakeQueuedMessage([](const BMessage&) { return true; });
	}
};

const size_t kList = kMaxDragUriListBytes;
const size_t kText = kMaxDragTextPreview;
const size_t kNone = size_t(-1);

}  // namespace

// Attaching runs parents' AttachedToWindow before their children's, on the attaching thread.
// Every later hook runs on the window's thread with the window locked, parents drawn before
// children; closing the window deletes the views.
TEST(BWindow, HooksRunOnTheWindowThreadWithTheWindowLocked)
{
	Watchdog watchdog;
	HookLog log;
	BWindow* window = NewWindow(kFrame);
	BView* view = new RecordingView(BRect(0, 0, 11, 9), "view", &log);
	BView* child = new RecordingView(BRect(2, 2, 9, 7), "child", &log);
	view->AddChild(child);
	EXPECT_TRUE(log.Hooks().empty()) << "no window yet";
	window->AddChild(view);
	EXPECT_EQ(log.Hooks(),
		(std::vector<std::string>{
			"view.AttachedToWindow elsewhere", "child.AttachedToWindow elsewhere"}));
	EXPECT_EQ(child->Looper(), window);
	log.Clear();
	TestWindow shown(window);
	shown.Click(BPoint(0, 0));
	window->PostMessage('ping', view);
	shown.Close();
	const std::vector<std::string> expected = {"view.Draw", "child.Draw", "view.MouseMoved entered",
		"view.MouseDown", "view.MouseUp", "view.MessageReceived", "view.deleted", "child.deleted"};
	EXPECT_TRUE(WaitUntil([&] { return log.Hooks() == expected; }))
		<< testing::PrintToString(log.Hooks());
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

// What a host hands over of a drag is cut before the window copies it: a URI list to its whole
// lines within the bound (a cut line could name another file), a text before the character
// that would not fit whole.
TEST(WindowHostInput, DraggedDataIsCutToItsBoundBeforeItIsCopied)
{
	static const struct {
		HostDragData kind;
		size_t length;
		size_t lineEnd;  // the one '\n' of a list, or where a 2-byte character of a text starts
		size_t kept;  // 0: no field at all
	} kRows[] = {
		{kHostDragUriList, kList - 1, kList - 10, kList - 1},
		{kHostDragUriList, kList, kList - 10, kList},
		{kHostDragUriList, kList + 1, kList - 10, kList - 9},
		{kHostDragUriList, kList + 1, kNone, 0},
		{kHostDragText, kText - 1, kNone, kText - 1},
		{kHostDragText, kText, kNone, kText},
		{kHostDragText, kText + 1, kNone, kText},
		{kHostDragText, kText + 1, kText - 1, kText - 1},
	};
	for (size_t row = 0; row < std::size(kRows); row++) {
		const auto& test = kRows[row];
		std::string bytes(test.length, 'a');
		if (test.lineEnd != kNone && test.kind == kHostDragUriList)
			bytes[test.lineEnd] = '\n';
		else if (test.lineEnd != kNone)
			bytes.replace(test.lineEnd, 2, "\xC3\xA9");
		Inbox inbox;
		WindowHostInput(&inbox).DragData(test.kind, bytes.data(), bytes.size());
		std::unique_ptr<BMessage> posted(inbox.Take());
		ASSERT_TRUE(posted && posted->what == kMsgWindowDragData) << "row " << row;
		const void* data = NULL;
		ssize_t size = -1;
		posted->FindData(
			test.kind == kHostDragUriList ? "uri-list" : "text", B_RAW_TYPE, &data, &size);
		EXPECT_EQ(size, test.kept > 0 ? ssize_t(test.kept) : -1) << "row " << row;
		EXPECT_EQ(std::string((const char*)data, test.kept), bytes.substr(0, test.kept))
			<< "row " << row;
	}
}

// What a window asks of the window system follows from its look, feel and flags: a row for
// each look, feel and flag that asks for something (the last row, for all of them at once,
// also holds that no other flag asks for anything), and for a feel that asks for nothing.
TEST(HostWindowLink, HintsFollowTheLookTheFeelAndTheFlags)
{
	const uint32 kAll = kHostWindowUndecorated | kHostWindowDialog | kHostWindowKeepAbove
		| kHostWindowNotClosable | kHostWindowAvoidFocus;
	static const struct {
		window_look look;
		window_feel feel;
		uint32 flags;
		uint32 hints;
	} kRows[] = {
		{B_BORDERED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, 0, kHostWindowUndecorated},
		{B_MODAL_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, 0, kHostWindowDialog},
		{B_FLOATING_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, 0, kHostWindowUtility},
		{B_TITLED_WINDOW_LOOK, B_MODAL_SUBSET_WINDOW_FEEL, 0, kHostWindowDialog},
		{B_TITLED_WINDOW_LOOK, B_FLOATING_APP_WINDOW_FEEL, 0, 0},
		{B_TITLED_WINDOW_LOOK, B_FLOATING_ALL_WINDOW_FEEL, 0, kHostWindowKeepAbove},
		// A dialog is never also a utility window.
		{B_FLOATING_WINDOW_LOOK, B_MODAL_APP_WINDOW_FEEL, 0, kHostWindowDialog},
		{B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, B_NOT_CLOSABLE, kHostWindowNotClosable},
		{B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, B_AVOID_FOCUS, kHostWindowAvoidFocus},
		{B_NO_BORDER_WINDOW_LOOK, B_MODAL_ALL_WINDOW_FEEL, ~0u, kAll},
	};
	for (const auto& test : kRows)
		EXPECT_EQ(HostWindowLink::HintsFor(test.look, test.feel, test.flags), test.hints)
			<< test.look << ", " << test.feel << ", " << test.flags;
}
