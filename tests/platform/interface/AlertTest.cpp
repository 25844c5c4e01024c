#include <Alert.h>
#include <Invoker.h>
#include <Looper.h>
#include <Message.h>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "WindowTestSupport.h"
#include "interface/AlertIcons.h"
#include "interface/AlertLayout.h"
#include "interface/Painter.h"

#include <atomic>
#include <future>

using namespace window_test;
using platform::AlertLayout;

namespace {

platform::HeadlessHost& Host()
{
	return platform::HeadlessHost::Instance();
}

class TrackedAlert : public BAlert {
public:
	TrackedAlert(const std::string& title, const char* text, const char* button0,
		const char* button1, std::atomic<bool>* deleted) :
		BAlert(title.c_str(), text, button0, button1),
		fDeleted(deleted)
	{
	}
	~TrackedAlert() override { *fDeleted = true; }

private:
	std::atomic<bool>* fDeleted;
};

// An alert made and run with Go() on a thread that is no looper's (a looper is locked by
// the thread that makes it until it runs), and the alert's window on the host.
class GoingAlert {
public:
	using Maker = std::function<BAlert*(const char* title)>;
	explicit GoingAlert(const Maker& make) :
		fTitle(UniqueTitle("alert")),
		fResult(std::async(std::launch::async, [this, make] { return make(fTitle.c_str())->Go(); }))
	{
		fId = Host().WaitForWindow(fTitle.c_str());
		EXPECT_GE(fId, 0);
		EXPECT_TRUE(Host().WaitForIdle(fId));
	}
	platform::host_window_id Id() const { return fId; }
	bool Waiting()
	{
		return fResult.wait_for(std::chrono::milliseconds(100)) == std::future_status::timeout;
	}
	int32 Result() { return fResult.get(); }

private:
	std::string fTitle;
	std::future<int32> fResult;
	platform::host_window_id fId;
};

// A looper that records the messages it gets and whether it was asked to quit.
class RecordingLooper : public BLooper {
public:
	std::function<void()> onAsk;
	std::atomic<int32> which{-100};
	std::atomic<bool> quitAsked{false};

	void MessageReceived(BMessage* message) override
	{
		if (message->what == 'ask ')
			onAsk();
		else if (message->what == 'done') {
			int32 value = -50;
			message->FindInt32("which", &value);
			which = value;
		} else
			BLooper::MessageReceived(message);
	}
	bool QuitRequested() override
	{
		quitAsked = true;
		return false;
	}
};

bool IsDark(uint32 pixel)
{
	return ((pixel >> 16) & 0xFF) < 100 && ((pixel >> 8) & 0xFF) < 100 && (pixel & 0xFF) < 100;
}

}  // namespace

TEST(BAlert, GoBlocksUntilAnsweredAndReturnsTheButtonsIndex)
{
	Watchdog watchdog;
	enum Answer {
		kEnter,
		kClickFirst,
		kClose
	};
	const struct {
		const char* buttons[2];
		int32 shortcutButton;  // -1: none
		char shortcut;
		Answer answer;
		int32 expected;
	} kRows[] = {
		{{"No", "Yes"}, 1, B_ENTER, kEnter, 1},
		{{"One", "Two"}, -1, 0, kClickFirst, 0},
		// The close box answers with the Escape button, else the last.
		{{"A", "B"}, -1, 0, kClose, 1},
		{{"Cancel", "OK"}, 0, B_ESCAPE, kClose, 0},
	};
	for (size_t i = 0; i < sizeof(kRows) / sizeof(kRows[0]); i++) {
		const auto& row = kRows[i];
		std::atomic<bool> deleted(false);
		GoingAlert going([&](const char* title) {
			BAlert* alert =
				new TrackedAlert(title, "Text", row.buttons[0], row.buttons[1], &deleted);
			if (row.shortcutButton >= 0)
				alert->SetShortcut(row.shortcutButton, row.shortcut);
			return alert;
		});
		Host().InjectKey(going.Id(), "x");
		EXPECT_TRUE(going.Waiting()) << "row " << i << ": a key that is no shortcut does nothing";
		if (row.answer == kEnter)
			Host().InjectKey(going.Id(), "\n");
		else if (row.answer == kClose)
			Host().InjectClose(going.Id());
		else {
			BRect first = AlertLayout::Compute(
				"Text", {row.buttons[0], row.buttons[1]}, B_WIDTH_AS_USUAL, B_INFO_ALERT)
							  .buttons[0];
			Host().InjectClick(going.Id(), BPoint(first.left + 3, first.top + 3));
		}
		EXPECT_EQ(going.Result(), row.expected) << "row " << i;
		EXPECT_TRUE(deleted) << "row " << i << ": the alert is gone when Go() returns";
		EXPECT_FALSE(Host().IsOpen(going.Id())) << "row " << i;
	}
}

TEST(BAlert, GoOnALooperThreadGivesWayToAQuitRequestAndPassesItOn)
{
	Watchdog watchdog;
	std::atomic<bool> deleted(false);
	std::atomic<int32> answer(-100);
	std::string title = UniqueTitle("alert");
	RecordingLooper* looper = new RecordingLooper;
	looper->onAsk = [&] {
		answer = (new TrackedAlert(title, "Busy", "Stop", "Go on", &deleted))->Go();
	};
	looper->Run();
	looper->PostMessage('ask ');
	platform::host_window_id id = Host().WaitForWindow(title.c_str());
	ASSERT_GE(id, 0);

	looper->PostMessage(B_QUIT_REQUESTED);
	EXPECT_TRUE(testing_support::WaitUntil([&] { return looper->quitAsked.load(); }));
	EXPECT_EQ(answer, 1);
	EXPECT_TRUE(deleted);
	EXPECT_FALSE(Host().IsOpen(id));
	looper->Lock();
	looper->Quit();
}

TEST(BAlert, GoWithAnInvokerReturnsAtOnceAndSendsWhich)
{
	Watchdog watchdog;
	RecordingLooper* target = new RecordingLooper;
	target->Run();
	std::string title = UniqueTitle("alert");
	BAlert* alert = new BAlert(title.c_str(), "Text", "A", "B", "C");
	alert->SetShortcut(2, 'c');
	EXPECT_EQ(alert->Go(new BInvoker(new BMessage('done'), target)), B_OK);
	platform::host_window_id id = Host().WaitForWindow(title.c_str());
	ASSERT_GE(id, 0);
	EXPECT_TRUE(Host().IsOpen(id));

	Host().InjectKey(id, "c");
	EXPECT_TRUE(testing_support::WaitUntil([&] { return target->which == 2; }));
	EXPECT_TRUE(Host().WaitForClose(id));
	target->Lock();
	target->Quit();
}

TEST(AlertLayout, BlankLinesKeepTheirHeight)
{
	AlertLayout two = AlertLayout::Compute("a\nb", {"OK"}, B_WIDTH_AS_USUAL, B_EMPTY_ALERT);
	AlertLayout three = AlertLayout::Compute("a\n\nb", {"OK"}, B_WIDTH_AS_USUAL, B_EMPTY_ALERT);
	EXPECT_EQ(three.lines.size(), 3u);
	EXPECT_EQ(three.bounds.Height() - two.bounds.Height(), two.lineHeight);
}

TEST(BAlert, DrawsTheInfoIconTheTextAndTheButtons)
{
	Watchdog watchdog;
	const char* text = "Vellumark 1.5\n\ne-mail: x@example.org";
	AlertLayout layout = AlertLayout::Compute(text, {"OK"}, B_WIDTH_AS_USUAL, B_INFO_ALERT);
	GoingAlert going([text](const char* title) {
		BAlert* alert = new BAlert(title, text, "OK");
		alert->SetShortcut(0, B_ENTER);
		return alert;
	});
	platform::host_window_id id = going.Id();

	const uint8* icon = platform::AlertIconBits(B_INFO_ALERT);
	const rgb_color* map = system_colors()->color_list;
	int32 drawn = 0;
	for (int32 y = 0; y < platform::kAlertIconSize; y++) {
		for (int32 x = 0; x < platform::kAlertIconSize; x++) {
			uint8 index = icon[y * platform::kAlertIconSize + x];
			if (index == B_TRANSPARENT_8_BIT)
				continue;
			drawn++;
			EXPECT_EQ(Host().PixelAt(id, int32(layout.iconAt.x) + x, int32(layout.iconAt.y) + y),
				platform::PackColor(map[index]));
		}
	}
	EXPECT_GT(drawn, 200);

	// Ink in the rows of each non-empty line, none in the blank one's.
	for (int32 line = 0; line < 3; line++) {
		int32 baseline = int32(layout.firstBaseline + line * layout.lineHeight), dark = 0;
		for (int32 y = baseline - 9; y <= baseline; y++)
			for (int32 x = int32(layout.textLeft); x <= int32(layout.bounds.right); x++)
				dark += IsDark(Host().PixelAt(id, x, y));
		EXPECT_EQ(dark > 20, line != 1) << "line " << line;
	}

	BRect button = layout.buttons[0];
	EXPECT_TRUE(IsDark(Host().PixelAt(id, int32(button.left), int32(button.top))));
	EXPECT_TRUE(IsDark(Host().PixelAt(id, int32(button.left) + 1, int32(button.top) + 1)))
		<< "the Enter button's frame is two pixels thick";
	Host().InjectKey(id, "\n");
	EXPECT_EQ(going.Result(), 0);
}
