#include "LooperTestSupport.h"

#include <Handler.h>
#include <Looper.h>
#include <Message.h>
#include <OS.h>

#include <TestSupport.h>

#include <thread>

using looper_test::Delivery;
using looper_test::Gate;
using looper_test::Record;
using looper_test::RecordingLooper;
using looper_test::Watchdog;

namespace {

// A looper whose queue the test may look into.
class QueueReader : public BLooper {
public:
	QueueReader() : BLooper("reader") {}
	using BLooper::CountQueuedMessages;
	using BLooper::NextQueuedMessage;
	using BLooper::TakeQueuedMessage;
};

// Quits a running looper from the test's thread, as an owner would.
void QuitLooper(BLooper* looper)
{
	ASSERT_TRUE(looper->Lock());
	looper->Quit();
}

}  // namespace

TEST(BLooper, IsLockedByItsCreatorUntilRun)
{
	Watchdog watchdog;
	Record record;
	RecordingLooper* looper = new RecordingLooper(&record);
	EXPECT_TRUE(looper->IsLocked());
	EXPECT_EQ(looper->LockingThread(), find_thread(NULL));

	looper->Run();
	EXPECT_FALSE(looper->IsLocked());
	QuitLooper(looper);
}

TEST(BLooper, RunReturnsTheIdOfANewThreadThatHandlesTheMessages)
{
	Watchdog watchdog;
	Record record;
	RecordingLooper* looper = new RecordingLooper(&record);
	thread_id thread = looper->Run();
	looper->PostMessage('ping');
	ASSERT_TRUE(record.WaitForCount(1));

	EXPECT_EQ(thread, looper->Thread());
	EXPECT_NE(thread, find_thread(NULL));
	EXPECT_EQ(record.Deliveries()[0].thread, thread);
	QuitLooper(looper);
}

TEST(BLooper, HooksRunWithTheLooperLockedByItsThread)
{
	Watchdog watchdog;
	Record record;
	RecordingLooper* looper = new RecordingLooper(&record);
	thread_id lockingThread = -1;
	looper->fAction = [&](BMessage*) { lockingThread = looper->LockingThread(); };
	thread_id thread = looper->Run();
	looper->PostMessage('ping');
	ASSERT_TRUE(record.WaitForCount(1));

	EXPECT_TRUE(record.Deliveries()[0].locked);
	QuitLooper(looper);
	EXPECT_EQ(lockingThread, thread);
}

TEST(BLooper, PostMessageReturnsAtOnceWhileTheLooperIsBusy)
{
	Watchdog watchdog;
	Record record;
	Gate busy, release;
	RecordingLooper* looper = new RecordingLooper(&record);
	looper->fAction = [&](BMessage* message) {
		if (message->what == 'busy') {
			busy.Open();
			release.Wait();
		}
	};
	looper->Run();
	looper->PostMessage('busy');
	ASSERT_TRUE(busy.Wait());

	// The looper's thread is stuck in a hook; posting must not wait for it.
	EXPECT_EQ(looper->PostMessage('next'), B_OK);
	EXPECT_EQ(record.Deliveries().size(), 1u);
	release.Open();
	ASSERT_TRUE(record.WaitForCount(2));
	QuitLooper(looper);
}

TEST(BLooper, MessagesArriveInTheOrderTheyWerePosted)
{
	Watchdog watchdog;
	Record record;
	RecordingLooper* looper = new RecordingLooper(&record);
	std::vector<uint32> posted;
	for (uint32 i = 0; i < 50; i++) {
		posted.push_back('m000' + i);
		looper->PostMessage('m000' + i);
	}
	looper->Run();
	ASSERT_TRUE(record.WaitForCount(posted.size()));
	EXPECT_EQ(record.Whats(), posted);
	QuitLooper(looper);
}

TEST(BLooper, PostMessageQueuesACopyAndLeavesTheOriginalToTheCaller)
{
	Watchdog watchdog;
	Record record;
	int32 received = -1;
	RecordingLooper* looper = new RecordingLooper(&record);
	looper->fAction = [&](BMessage* message) { message->FindInt32("value", &received); };
	BMessage message('copy');
	message.AddInt32("value", 1);
	ASSERT_EQ(looper->PostMessage(&message), B_OK);
	message.RemoveName("value");
	message.AddInt32("value", 2);

	looper->Run();
	ASSERT_TRUE(record.WaitForCount(1));
	QuitLooper(looper);
	EXPECT_EQ(received, 1);
}

TEST(BLooper, PostMessageRefusesANullMessageAndAForeignHandler)
{
	QueueReader* looper = new QueueReader;
	BLooper* other = new BLooper("other");
	BHandler* foreign = new BHandler("foreign");
	other->AddHandler(foreign);

	EXPECT_EQ(looper->PostMessage((BMessage*)NULL), B_BAD_VALUE);
	EXPECT_EQ(looper->PostMessage('ping', foreign), B_BAD_HANDLER);
	EXPECT_EQ(looper->CountQueuedMessages(), 0);
	delete foreign;
	looper->Quit();
	other->Quit();
}

TEST(BLooper, QuitFromAnotherThreadWaitsUntilTheLooperIsDeletedAndItsThreadEnded)
{
	Watchdog watchdog;
	int baseline = testing_support::CountThreads();
	Record record;
	std::atomic<bool> deleted(false);
	RecordingLooper* looper = new RecordingLooper(&record, &deleted);
	// Slow to handle: Quit() must still wait for it.
	looper->fAction = [](BMessage*) { snooze(50000); };
	looper->Run();
	looper->PostMessage('slow');

	QuitLooper(looper);
	EXPECT_TRUE(deleted);
	EXPECT_EQ(record.Whats(), std::vector<uint32>{'slow'});
	EXPECT_TRUE(testing_support::WaitUntil(
		[&] { return testing_support::CountThreads() == baseline; }));
}

TEST(BLooper, QuitOnItsOwnThreadDeletesTheLooperAfterTheHookReturns)
{
	Watchdog watchdog;
	Record record;
	std::atomic<bool> deleted(false);
	bool deletedInsideHook = true;
	RecordingLooper* looper = new RecordingLooper(&record, &deleted);
	looper->fAction = [&](BMessage* message) {
		if (message->what != 'quit')
			return;
		looper->Quit();
		deletedInsideHook = deleted;
	};
	looper->Run();
	looper->PostMessage('quit');
	looper->PostMessage('late');

	EXPECT_TRUE(testing_support::WaitUntil([&] { return deleted.load(); }));
	EXPECT_FALSE(deletedInsideHook);
	// What was queued behind the quit is dropped with the looper.
	EXPECT_EQ(record.Whats(), std::vector<uint32>{'quit'});
}

class RefusingLooper : public RecordingLooper {
public:
	using RecordingLooper::RecordingLooper;
	bool QuitRequested() override
	{
		fAsked++;
		return fAgree;
	}
	std::atomic<int> fAsked{0};
	std::atomic<bool> fAgree{false};
};

TEST(BLooper, QuitRequestedDecidesWhetherBQuitRequestedEndsTheLooper)
{
	Watchdog watchdog;
	Record record;
	std::atomic<bool> deleted(false);
	RefusingLooper* looper = new RefusingLooper(&record, &deleted);
	looper->Run();
	looper->PostMessage(B_QUIT_REQUESTED);
	looper->PostMessage('aliv');
	ASSERT_TRUE(record.WaitForCount(1));
	EXPECT_EQ(looper->fAsked, 1);
	EXPECT_FALSE(deleted);

	looper->fAgree = true;
	looper->PostMessage(B_QUIT_REQUESTED);
	EXPECT_TRUE(testing_support::WaitUntil([&] { return deleted.load(); }));
	// B_QUIT_REQUESTED goes to QuitRequested, never to MessageReceived.
	EXPECT_EQ(record.Whats(), std::vector<uint32>{'aliv'});
}

TEST(BLooper, LooperForThreadFindsTheLooperRunningOnIt)
{
	Watchdog watchdog;
	Record record;
	RecordingLooper* looper = new RecordingLooper(&record);
	thread_id thread = looper->Run();
	EXPECT_EQ(BLooper::LooperForThread(thread), looper);
	EXPECT_EQ(BLooper::LooperForThread(find_thread(NULL)), (BLooper*)NULL);
	QuitLooper(looper);
	EXPECT_EQ(BLooper::LooperForThread(thread), (BLooper*)NULL);
}

TEST(BLooper, LockIsRecursiveAndCountsEachLock)
{
	BLooper* looper = new BLooper("locks");  // created locked: one
	ASSERT_TRUE(looper->Lock());
	EXPECT_EQ(looper->CountLocks(), 2);
	looper->Unlock();
	EXPECT_EQ(looper->CountLocks(), 1);
	EXPECT_TRUE(looper->IsLocked());
	looper->Quit();
}

TEST(BLooper, LockWithTimeoutTimesOutWhileAnotherThreadHoldsTheLock)
{
	Watchdog watchdog;
	BLooper* looper = new BLooper("held");  // held by this thread
	status_t status = B_OK;
	std::thread other([&] { status = looper->LockWithTimeout(20000); });
	other.join();
	EXPECT_EQ(status, B_TIMED_OUT);
	looper->Quit();
}

TEST(BLooper, DetachCurrentMessageHandsTheMessageToTheHook)
{
	Watchdog watchdog;
	Record record;
	BMessage* kept = NULL;
	bool currentWasIt = false;
	RecordingLooper* looper = new RecordingLooper(&record);
	looper->fAction = [&](BMessage* message) {
		currentWasIt = looper->CurrentMessage() == message;
		kept = looper->DetachCurrentMessage();
	};
	looper->Run();
	looper->PostMessage('keep');
	ASSERT_TRUE(record.WaitForCount(1));
	QuitLooper(looper);

	EXPECT_TRUE(currentWasIt);
	ASSERT_NE(kept, (BMessage*)NULL);
	EXPECT_EQ(kept->what, (uint32)'keep');
	delete kept;
}

TEST(BLooper, MessagesForARemovedHandlerAreDropped)
{
	Watchdog watchdog;
	QueueReader* looper = new QueueReader;
	BHandler* handler = new BHandler("gone");
	looper->AddHandler(handler);
	looper->PostMessage('one', handler);
	looper->PostMessage('two');
	EXPECT_TRUE(looper->RemoveHandler(handler));
	EXPECT_EQ(looper->CountQueuedMessages(), 1);
	delete handler;
	looper->Quit();
}

TEST(BLooper, TakeQueuedMessageTakesTheFirstMatchAndKeepsTheRestInOrder)
{
	QueueReader* looper = new QueueReader;
	for (uint32 what : std::initializer_list<uint32>{'a', B_MOUSE_MOVED, 'b', B_MOUSE_UP, 'c'})
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
	EXPECT_EQ(rest, (std::vector<uint32>{'a', 'b', B_MOUSE_UP, 'c'}));
	looper->Quit();
}

TEST(BLooper, TakeQueuedMessageWaitsForAMatchPostedLater)
{
	Watchdog watchdog;
	QueueReader* looper = new QueueReader;
	std::thread poster([&] {
		snooze(20000);
		looper->PostMessage(B_MOUSE_UP);
	});
	BMessage* taken = looper->TakeQueuedMessage(
		[](const BMessage& message) { return message.what == B_MOUSE_UP; }, 5000000);
	poster.join();
	ASSERT_NE(taken, (BMessage*)NULL);
	EXPECT_EQ(taken->what, (uint32)B_MOUSE_UP);
	delete taken;
	looper->Quit();
}
