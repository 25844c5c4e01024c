#include <Control.h>
#include <Message.h>
#include <Window.h>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "WindowTestSupport.h"

using namespace window_test;

namespace {

const BRect kFrame(100, 100, 159, 139);
const uint32 kCommand = 'cmnd';

// Keeps a copy of every message with kCommand that reaches it.
class InboxWindow : public BWindow {
public:
	InboxWindow()
		: BWindow(kFrame, UniqueTitle("control").c_str(), B_TITLED_WINDOW_LOOK,
			B_NORMAL_WINDOW_FEEL, B_NOT_RESIZABLE) {}
	void MessageReceived(BMessage* message) override
	{
		if (message->what == kCommand) {
			std::lock_guard<std::mutex> lock(fMutex);
			fInbox.push_back(*message);
		}
		BWindow::MessageReceived(message);
	}
	std::vector<BMessage> Inbox()
	{
		std::lock_guard<std::mutex> lock(fMutex);
		return fInbox;
	}

private:
	std::mutex fMutex;
	std::vector<BMessage> fInbox;
};

class MarkedMessage : public BMessage {
public:
	MarkedMessage(bool* deleted) : BMessage(kCommand), fDeleted(deleted) {}
	~MarkedMessage() override { *fDeleted = true; }

private:
	bool* fDeleted;
};

BControl* NewControl(BMessage* message)
{
	return new BControl(BRect(5, 5, 30, 20), "control", "Label", message, B_FOLLOW_NONE,
		B_WILL_DRAW);
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

TEST(BControl, TargetSetBeforeAttachingIsKept)
{
	HookLog log;
	BControl* control = NewControl(new BMessage(kCommand));
	BView* parent = new RecordingView(BRect(0, 0, 59, 39), "parent", &log);
	control->SetTarget(parent);
	parent->AddChild(control);
	BWindow* window = NewWindow(kFrame);
	window->AddChild(parent);
	EXPECT_EQ(control->Target(), parent);
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
		control->Message()->RemoveName("field");
		control->Message()->AddInt32("field", 8);
	});
	std::vector<BMessage> inbox = window->Inbox();
	ASSERT_EQ(inbox.size(), 1u);
	int32 field = 0;
	EXPECT_EQ(inbox[0].FindInt32("field", &field), B_OK);
	EXPECT_EQ(field, 7);  // copied when sent
	EXPECT_EQ(control->Message(), message);
}

TEST(BControl, UnhandledMessageGoesOnToTheParentView)
{
	Watchdog watchdog;
	HookLog log;
	BWindow* window = NewWindow(kFrame);
	BView* parent = new RecordingView(BRect(0, 0, 59, 39), "parent", &log);
	BControl* control = NewControl(NULL);
	parent->AddChild(control);
	window->AddChild(parent);
	ShownWindow shown(window);
	log.Clear();

	BMessage message('othr');
	shown.OnThread([&] { control->MessageReceived(&message); });
	EXPECT_EQ(log.Hooks(), std::vector<std::string>{"parent.MessageReceived"});
}

TEST(BControl, DeletesItsMessage)
{
	bool deleted = false;
	BControl* control = NewControl(new MarkedMessage(&deleted));
	delete control;
	EXPECT_TRUE(deleted);
}

TEST(BControl, KeepsLabelValueAndEnabledFlag)
{
	BControl control(BRect(0, 0, 9, 9), "control", NULL, NULL, B_FOLLOW_NONE, 0);
	EXPECT_EQ(control.Label(), (const char*)NULL);
	EXPECT_TRUE(control.IsEnabled());
	EXPECT_EQ(control.Value(), (int32)B_CONTROL_OFF);
	control.SetLabel("Quit");
	control.SetEnabled(false);
	control.SetValue(B_CONTROL_ON);
	EXPECT_STREQ(control.Label(), "Quit");
	EXPECT_FALSE(control.IsEnabled());
	EXPECT_EQ(control.Value(), (int32)B_CONTROL_ON);
}
