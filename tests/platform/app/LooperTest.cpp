#include "LooperTestSupport.h"

#include <Looper.h>
#include <Message.h>
#include <OS.h>

#include <TestSupport.h>

using looper_test::Record;
using looper_test::RecordingLooper;
using looper_test::Watchdog;
using testing_support::WaitUntil;

namespace {

// Quits a running looper from the test's thread, as its owner would.
void QuitLooper(BLooper* looper)
{
	ASSERT_TRUE(looper->Lock());
	looper->Quit();
}

}  // namespace

TEST(BLooper, IsLockedByItsCreatorUntilRunThenRunsHooksInPostingOrderOnItsThreadLocked)
{
	Watchdog watchdog;
	Record record;
	RecordingLooper* looper = new RecordingLooper(&record);
	EXPECT_EQ(looper->LockingThread(), find_thread(NULL));
	std::vector<uint32> posted;
	for (uint32 i = 0; i < 50; i++) {
		posted.push_back('m000' + i);
		looper->PostMessage('m000' + i);
	}
	thread_id thread = looper->Run();
	EXPECT_FALSE(looper->IsLocked());
	EXPECT_NE(thread, find_thread(NULL));
	std::vector<looper_test::Delivery> seen = record.Wait(posted.size());
	EXPECT_EQ(record.Whats(), posted);
	for (size_t i = 0; i < seen.size(); i++) {
		EXPECT_EQ(seen[i].thread, thread) << "message " << i;
		EXPECT_TRUE(seen[i].locked) << "message " << i;
	}
	QuitLooper(looper);
}

TEST(BLooper, PostMessageReturnsAtOnceWhileTheLooperIsBusy)
{
	Watchdog watchdog;
	Record record;
	std::atomic<bool> release(false);
	RecordingLooper* looper = new RecordingLooper(&record);
	looper->fAction = [&](BMessage*) { WaitUntil([&] { return release.load(); }); };
	looper->Run();
	looper->PostMessage('busy');
	record.Wait(1);

	// The looper's thread is stuck in a hook; posting must not wait for it.
	EXPECT_EQ(looper->PostMessage('next'), B_OK);
	release = true;
	EXPECT_EQ(record.Whats(2), (std::vector<uint32>{'busy', 'next'}));
	QuitLooper(looper);
}

TEST(BLooper, QuitFromAnotherThreadReturnsOnceTheLooperIsDeletedAndItsThreadEnded)
{
	Watchdog watchdog;
	int baseline = testing_support::CountThreads();
	Record record;
	std::atomic<bool> deleted(false);
	RecordingLooper* looper = new RecordingLooper(&record, &deleted);
	looper->fAction = [](BMessage*) { snooze(50000); };  // slow, so Quit() must wait
	looper->Run();
	looper->PostMessage('slow');

	QuitLooper(looper);
	EXPECT_TRUE(deleted);
	EXPECT_EQ(record.Whats(), std::vector<uint32>{'slow'});
	EXPECT_TRUE(WaitUntil([&] { return testing_support::CountThreads() == baseline; }));
}

TEST(BLooper, QuitOnItsOwnThreadDeletesTheLooperAfterTheHookReturns)
{
	Watchdog watchdog;
	Record record;
	std::atomic<bool> deleted(false);
	bool deletedInsideHook = true;
	RecordingLooper* looper = new RecordingLooper(&record, &deleted);
	looper->fAction = [&](BMessage*) {
		looper->Quit();
		deletedInsideHook = deleted;
	};
	looper->PostMessage('quit');
	looper->PostMessage('late');
	looper->Run();

	EXPECT_TRUE(WaitUntil([&] { return deleted.load(); }));
	EXPECT_FALSE(deletedInsideHook);
	EXPECT_EQ(record.Whats(), std::vector<uint32>{'quit'});  // 'late' went with it
}

// Once Run gives up the creator's lock, a looper told to quit before may be deleted at any
// moment: Run must read nothing of it after that (ThreadSanitizer sees the race).
TEST(BLooper, RunOfALooperThatQuitsAtOnceReturnsItsThread)
{
	Watchdog watchdog;
	for (int i = 0; i < 20; i++) {
		BLooper* looper = new BLooper("brief");
		looper->PostMessage(B_QUIT_REQUESTED);
		thread_id thread = looper->Run();
		// Its thread deletes it meanwhile, while this thread takes no lock it shares.
		snooze(5000);
		EXPECT_GE(thread, 0) << "try " << i;
	}
}

TEST(BLooper, BQuitRequestedQuitsOnlyWhenQuitRequestedAgrees)
{
	class Refusing : public RecordingLooper {
	public:
		using RecordingLooper::RecordingLooper;
		bool QuitRequested() override { return fAgree; }
		std::atomic<bool> fAgree{false};
	};
	Watchdog watchdog;
	Record record;
	std::atomic<bool> deleted(false);
	Refusing* looper = new Refusing(&record, &deleted);
	looper->Run();
	looper->PostMessage(B_QUIT_REQUESTED);
	looper->PostMessage('aliv');
	record.Wait(1);
	EXPECT_FALSE(deleted);

	looper->fAgree = true;
	looper->PostMessage(B_QUIT_REQUESTED);
	EXPECT_TRUE(WaitUntil([&] { return deleted.load(); }));
	EXPECT_EQ(record.Whats(), std::vector<uint32>{'aliv'});  // never to MessageReceived
}

TEST(BLooper, TakeQueuedMessageTakesTheFirstMatchAndKeepsTheRestInOrder)
{
	class Reader : public BLooper {
	public:
		using BLooper::NextQueuedMessage;
		using BLooper::TakeQueuedMessage;
	};
	Reader* looper = new Reader;
	for (uint32 what : std::initializer_list<uint32>{'a', B_MOUSE_MOVED, 'b', B_MOUSE_UP})
		looper->PostMessage(what);

	BMessage* taken = looper->TakeQueuedMessage([](const BMessage& message) {
		return message.what == B_MOUSE_MOVED || message.what == B_MOUSE_UP;
	});
	ASSERT_NE(taken, (BMessage*)NULL);
	EXPECT_EQ(taken->what, (uint32)B_MOUSE_MOVED);
	delete taken;
	std::vector<uint32> rest;
	while (BMessage* message = looper->NextQueuedMessage(0)) {
		rest.push_back(message->what);
		delete message;
	}
	EXPECT_EQ(rest, (std::vector<uint32>{'a', 'b', B_MOUSE_UP}));
	looper->Quit();
}
