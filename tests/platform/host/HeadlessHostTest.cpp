#include <Message.h>
#include <Window.h>

#include <tuple>

#include "../interface/WindowTestSupport.h"

using namespace window_test;

namespace {

typedef std::tuple<uint32, BPoint, int32> Posted;  // what, "where", "buttons"

// Logs the pointer messages it is sent, and 'png3', which it posts itself on 'png2', and
// that on 'png1': a chain that settling must wait for.
class LogWindow : public BWindow {
public:
	LogWindow() :
		BWindow(BRect(100, 100, 109, 109), UniqueTitle("host").c_str(), B_TITLED_WINDOW_LOOK,
			B_NORMAL_WINDOW_FEEL, 0)
	{
	}
	void DispatchMessage(BMessage* message, BHandler* handler) override
	{
		uint32 what = message->what;
		if (what == 'png1' || what == 'png2')
			PostMessage(what + 1);
		Posted posted(what, BPoint(), -1);
		message->FindPoint("where", &std::get<1>(posted));
		message->FindInt32("buttons", &std::get<2>(posted));
		if (what == B_MOUSE_DOWN || what == B_MOUSE_UP || what == B_MOUSE_MOVED || what == 'png3')
			log.push_back(posted);
		BWindow::DispatchMessage(message, handler);
	}
	std::vector<Posted> log;  // read on the window's thread, or once it is idle
};

}  // namespace

// The pointer's changes reach the window one message each, in order; the test driver's calls
// wait for the window to settle, run on its thread with it locked, and run no more once it has
// closed.
TEST(HeadlessHost, PointerChangesPostOneMessageEachAndCallsRunOnTheSettledWindowsThread)
{
	Watchdog watchdog;
	LogWindow* window = new LogWindow;
	auto shown = std::make_unique<TestWindow>(window);
	shown->MouseMove(BPoint(1, 2));
	shown->MouseDown(BPoint(1, 2));
	shown->Pointer(BPoint(1, 2), B_PRIMARY_MOUSE_BUTTON | B_SECONDARY_MOUSE_BUTTON);
	shown->Pointer(BPoint(-5, 30), B_SECONDARY_MOUSE_BUTTON);
	shown->MouseUp(BPoint(-5, 30));
	window->PostMessage('png1');
	const std::vector<Posted> expected = {{B_MOUSE_MOVED, BPoint(1, 2), 0},
		{B_MOUSE_DOWN, BPoint(1, 2), 1}, {B_MOUSE_DOWN, BPoint(1, 2), 3},
		{B_MOUSE_MOVED, BPoint(-5, 30), 3}, {B_MOUSE_UP, BPoint(-5, 30), 2},
		{B_MOUSE_UP, BPoint(-5, 30), 0}, {'png3', BPoint(), -1}};
	EXPECT_TRUE(shown->RunOnThread([&] {
		EXPECT_EQ(find_thread(NULL), window->Thread());
		EXPECT_TRUE(window->IsLocked());
		EXPECT_TRUE(window->log == expected);
	}));
	TestWindow closed(window->Name());
	shown.reset();
	EXPECT_TRUE(closed.WaitForIdle());
	EXPECT_FALSE(closed.RunOnThread([] {}));
}
