#include <Message.h>
#include <Window.h>

#include "../interface/WindowTestSupport.h"

using namespace window_test;
using platform::HeadlessHost;

namespace {

const BRect kFrame(100, 100, 109, 109);

struct Posted {
	uint32 what;
	BPoint where;
	int32 buttons;
	bool operator==(const Posted& o) const
	{
		return what == o.what && where == o.where && buttons == o.buttons;
	}
};

// Keeps the pointer messages it gets instead of handling them; answers a ping with a pong
// posted to itself.
class PointerLogWindow : public BWindow {
public:
	PointerLogWindow() :
		BWindow(kFrame, UniqueTitle("host").c_str(), B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, 0)
	{
	}
	void DispatchMessage(BMessage* message, BHandler* handler) override
	{
		if (message->what == B_MOUSE_DOWN || message->what == B_MOUSE_UP
			|| message->what == B_MOUSE_MOVED) {
			Posted posted = {message->what, BPoint(), -1};
			message->FindPoint("where", &posted.where);
			message->FindInt32("buttons", &posted.buttons);
			log.push_back(posted);
		} else if (message->what == 'ping')
			PostMessage('pong');
		else if (message->what == 'pong')
			pongs++;
		else
			BWindow::DispatchMessage(message, handler);
	}
	std::vector<Posted> log;  // read once the window is idle
	int pongs = 0;
};

}  // namespace

TEST(HeadlessHost, InjectedPointerPostsOneMessagePerChange)
{
	Watchdog watchdog;
	PointerLogWindow* window = new PointerLogWindow;
	ShownWindow shown(window);
	HeadlessHost& host = shown.Host();
	host.InjectMouseMove(shown.Id(), BPoint(1, 2));
	host.InjectMouseDown(shown.Id(), BPoint(1, 2));
	host.InjectPointer(shown.Id(), BPoint(1, 2), B_PRIMARY_MOUSE_BUTTON | B_SECONDARY_MOUSE_BUTTON);
	host.InjectPointer(shown.Id(), BPoint(-5, 30), B_SECONDARY_MOUSE_BUTTON);
	host.InjectMouseUp(shown.Id(), BPoint(-5, 30));
	shown.Idle();

	const std::vector<Posted> expected = {{B_MOUSE_MOVED, BPoint(1, 2), 0},
		{B_MOUSE_DOWN, BPoint(1, 2), 1}, {B_MOUSE_DOWN, BPoint(1, 2), 3},
		{B_MOUSE_MOVED, BPoint(-5, 30), 3}, {B_MOUSE_UP, BPoint(-5, 30), 2},
		{B_MOUSE_UP, BPoint(-5, 30), 0}};
	EXPECT_TRUE(window->log == expected);
}

TEST(HeadlessHost, WaitForIdleCoversWhatTheWindowPostsToItself)
{
	Watchdog watchdog;
	PointerLogWindow* window = new PointerLogWindow;
	ShownWindow shown(window);
	window->PostMessage('ping');
	shown.Idle();
	EXPECT_EQ(window->pongs, 1);
}
