#include <Application.h>
#include <Handler.h>
#include <Looper.h>
#include <Message.h>
#include <OS.h>

#include <TestSupport.h>

#include <atomic>
#include <vector>

using testing_support::WaitUntil;
using testing_support::Watchdog;

namespace {

// Quits in its hook on 'quit', and agrees to quit once any other message reached the hook.
// What reached the hook, and the deletion, are noted where they outlive the looper.
class QuittingLooper : public BLooper {
public:
	QuittingLooper(std::vector<uint32>* received, std::atomic<bool>* deleted) :
		fReceived(received),
		fDeleted(deleted)
	{
	}
	~QuittingLooper() override { *fDeleted = true; }
	void MessageReceived(BMessage* message) override
	{
		fReceived->push_back(message->what);
		if (message->what == 'quit')
			Quit();
		else
			fAgree = true;
	}
	bool QuitRequested() override { return fAgree; }

private:
	std::vector<uint32>* fReceived;
	std::atomic<bool>* fDeleted;
	bool fAgree = false;
};

}  // namespace

// B_QUIT_REQUESTED quits only when QuitRequested() agrees, and never reaches the hook. Quit()
// in a hook deletes the looper once the hook returns; what was queued behind goes with it.
TEST(BLooper, QuitByRequestOrOnItsOwnThreadDeletesTheLooperAfterTheHook)
{
	Watchdog watchdog;
	std::vector<uint32> received;
	std::atomic<bool> deleted(false);
	BLooper* looper = new QuittingLooper(&received, &deleted);
	for (uint32 what : {uint32(B_QUIT_REQUESTED), uint32('agre'), uint32('quit'), uint32('late')})
		looper->PostMessage(what);
	looper->Run();

	EXPECT_TRUE(WaitUntil([&] { return deleted.load(); }));
	EXPECT_EQ(received, (std::vector<uint32>{'agre', 'quit'}));
}

// What was queued for a handler that leaves its looper, taken out or deleted while in it,
// goes with it; the rest still arrives.
TEST(BLooper, MessagesQueuedForAHandlerThatLeavesAreDropped)
{
	Watchdog watchdog;
	for (bool deleted : {false, true}) {
		std::vector<uint32> received;
		std::atomic<bool> gone(false);
		BLooper* looper = new QuittingLooper(&received, &gone);
		// Passes what it gets on to the looper, its next handler, while it is in it.
		BHandler* handler = new BHandler("leaves");
		looper->AddHandler(handler);
		looper->PostMessage('left', handler);
		looper->PostMessage('kept');
		if (!deleted)
			looper->RemoveHandler(handler);
		delete handler;
		looper->PostMessage('quit');
		looper->Run();

		EXPECT_TRUE(WaitUntil([&] { return gone.load(); })) << deleted;
		EXPECT_EQ(received, (std::vector<uint32>{'kept', 'quit'})) << deleted;
	}
}

// A looper is locked by its creator until Run, which gives that lock up; from then on a
// looper told to quit before may be deleted at any moment: Run must read nothing of it after
// that (ThreadSanitizer sees the race).
TEST(BLooper, IsLockedByItsCreatorUntilRunAndRunOfALooperThatQuitsAtOnceReturnsItsThread)
{
	Watchdog watchdog;
	for (int i = 0; i < 20; i++) {
		BLooper* looper = new BLooper("brief");
		EXPECT_TRUE(looper->IsLocked()) << "try " << i;
		looper->PostMessage(B_QUIT_REQUESTED);
		EXPECT_GE(looper->Run(), 0) << "try " << i;
		snooze(5000);  // its thread deletes it meanwhile
	}
}

TEST(BApplication, ABadSignatureWithNoErrorToSetEndsTheProgramWithOneLine)
{
	GTEST_FLAG_SET(death_test_style, "threadsafe");
	EXPECT_EXIT({ BApplication app("text/plain"); }, ::testing::ExitedWithCode(1),
		"^[^\n]*bad application signature \"text/plain\"[^\n]*\n$");
}
