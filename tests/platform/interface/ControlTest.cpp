#include <Control.h>
#include <Message.h>
#include <Window.h>

#include "WindowTestSupport.h"

using namespace window_test;

namespace {

const BRect kFrame(100, 100, 159, 139);
const uint32 kCommand = 'cmnd';

// Keeps a copy of every message with kCommand that reaches it; read once it is idle.
class InboxWindow : public BWindow {
public:
	InboxWindow() :
		BWindow(kFrame, UniqueTitle("control").c_str(), B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL,
			B_NOT_RESIZABLE)
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

BControl* NewControl(BMessage* message)
{
	return new BControl(
		BRect(5, 5, 30, 20), "control", "Label", message, B_FOLLOW_NONE, B_WILL_DRAW);
}

}  // namespace

TEST(BControl, TargetBecomesTheWindowWhenAttached)
{
	BControl* control = NewControl(new BMessage(kCommand));
	EXPECT_EQ(control->Target(), (BHandler*)NULL);
	BWindow* window = NewWindow(kFrame);
	window->AddChild(control);
	EXPECT_EQ(control->Target(), window);
	window->Quit();
}

TEST(BControl, InvokeSendsACopyOfItsMessageToTheWindow)
{
	Watchdog watchdog;
	InboxWindow* window = new InboxWindow;
	BMessage* message = new BMessage(kCommand);
	message->AddInt32("field", 7);
	BControl* control = NewControl(message);
	window->AddChild(control);
	ShownWindow shown(window);

	shown.OnThread([&] {
		EXPECT_EQ(control->Invoke(), B_OK);
		*control->Message() = BMessage(kCommand);
		control->Message()->AddInt32("field", 8);
	});
	const std::vector<BMessage>& inbox = window->inbox;
	ASSERT_EQ(inbox.size(), 1u);
	int32 field = 0;
	EXPECT_EQ(inbox[0].FindInt32("field", &field), B_OK);
	EXPECT_EQ(field, 7);  // copied when sent
	EXPECT_EQ(control->Message(), message);
}
