#include <Control.h>
#include <Message.h>
#include <Window.h>

#include "WindowTestSupport.h"

using namespace window_test;

namespace {

const uint32 kCommand = 'cmnd';

// Keeps a copy of every message with kCommand that reaches it; read once it is idle.
class InboxWindow : public BWindow {
public:
	InboxWindow() :
		BWindow(BRect(100, 100, 159, 139), UniqueTitle("control").c_str(), B_TITLED_WINDOW_LOOK,
			B_NORMAL_WINDOW_FEEL, B_NOT_RESIZABLE)
	{
	}
	void MessageReceived(BMessage* message) override
	{
		if (message->what == kCommand)
			inbox.push_back(*message);
		BWindow::MessageReceived(message);
	}
	std::vector<BMessage> inbox;
};

}  // namespace

// Its target becomes the window it is attached to; Invoke sends a copy of its message there,
// made when sent, and keeps its own.
TEST(BControl, InvokeSendsACopyOfItsMessageToItsWindow)
{
	Watchdog watchdog;
	InboxWindow* window = new InboxWindow;
	BMessage* message = new BMessage(kCommand);
	message->AddInt32("field", 7);
	BControl* control =
		new BControl(BRect(5, 5, 30, 20), "control", "Label", message, B_FOLLOW_NONE, B_WILL_DRAW);
	EXPECT_EQ(control->Target(), (BHandler*)NULL);
	window->AddChild(control);
	EXPECT_EQ(control->Target(), window);
	ShownWindow shown(window);

	shown.OnThread([&] {
		EXPECT_EQ(control->Invoke(), B_OK);
		*control->Message() = BMessage(kCommand);
	});
	ASSERT_EQ(window->inbox.size(), 1u);
	int32 field = 0;
	EXPECT_EQ(window->inbox[0].FindInt32("field", &field), B_OK);
	EXPECT_EQ(field, 7);
	EXPECT_EQ(control->Message(), message);
}
