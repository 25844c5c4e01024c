#include <Looper.h>
#include <Message.h>
#include <OS.h>

#include <TestSupport.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

using testing_support::WaitUntil;
using testing_support::Watchdog;

namespace {

// What the hooks saw, kept beyond the looper's deletion.
struct Record {
	std::mutex mutex;
	std::vector<uint32> whats;
	std::vector<thread_id> threads;
	bool allLocked = true;

	std::vector<uint32> Wait(size_t count)
	{
		WaitUntil([&] {
			std::lock_guard<std::mutex> lock(mutex);
			return whats.size() >= count;
		});
		std::lock_guard<std::mutex> lock(mutex);
		return whats;
	}
};

// Records every message it receives, runs an optional action for it, and raises a flag when
// it is deleted.
class RecordingLooper : public BLooper {
public:
	RecordingLooper(Record* record, std::atomic<bool>* deleted = NULL) :
		fRecord(record),
		fDeleted(deleted)
	{
	}
	~RecordingLooper() override
	{
		if (fDeleted != NULL)
			*fDeleted = true;
	}
	void MessageReceived(BMessage* message) override
	{
		{
			std::lock_guard<std::mutex> lock(fRecord->mutex);
			fRecord->whats.push_back(message->what);
			fRecord->threads.push_back(find_thread(NULL));
			fRecord->allLocked &= IsLocked();
		}
		if (fAction)
			fAction(message);
	}
	bool QuitRequested() override { return fAgree; }

	std::function<void(BMessage*)> fAction;  // set before Run()
	std::atomic<bool> fAgree{true};

private:
	Record* fRecord;
	std::atomic<bool>* fDeleted;
};

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
	EXPECT_EQ(record.Wait(posted.size()), posted);
	EXPECT_EQ(record.threads, std::vector<thread_id>(posted.size(), thread));
	EXPECT_TRUE(record.allLocked);
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
	EXPECT_EQ(record.Wait(2), (std::vector<uint32>{'busy', 'next'}));
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
	EXPECT_EQ(record.whats, std::vector<uint32>{'slow'});
	EXPECT_TRUE(WaitUntil([&] { return testing_support::CountThreads() == baseline; }));
}

// Quit() in a hook deletes the looper once the hook returns; what was queued behind goes with
// it. B_QUIT_REQUESTED quits only when QuitRequested() agrees, and never reaches the hook.
TEST(BLooper, QuitOnItsOwnThreadOrByRequestDeletesTheLooperAfterTheHook)
{
	Watchdog watchdog;
	for (bool byRequest : {false, true}) {
		Record record;
		std::atomic<bool> deleted(false);
		bool deletedInsideHook = true;
		RecordingLooper* looper = new RecordingLooper(&record, &deleted);
		looper->fAgree = false;
		looper->fAction = [&](BMessage* message) {
			if (message->what == 'quit')
				looper->Quit();
			else
				looper->fAgree = true;
			deletedInsideHook = deleted;
		};
		if (byRequest)
			looper->PostMessage(B_QUIT_REQUESTED);  // refused
		looper->PostMessage(byRequest ? 'agre' : 'quit');
		looper->PostMessage(byRequest ? B_QUIT_REQUESTED : 'late');
		looper->Run();

		EXPECT_TRUE(WaitUntil([&] { return deleted.load(); })) << byRequest;
		EXPECT_FALSE(deletedInsideHook) << byRequest;
		EXPECT_EQ(record.whats, std::vector<uint32>{byRequest ? 'agre' : 'quit'}) << byRequest;
	}
}

// Once Run gives up the creator's lock, a looper told to quit before may be deleted at any
// moment: Run must read nothing of it after that (ThreadSanitizer sees the race).
TEST(BLooper, RunOfALooperThatQuitsAtOnceReturnsItsThread)
{
	Watchdog watchdog;
	for (int i = 0; i < 20; i++) {
		BLooper* looper = new BLooper("brief");
		looper->PostMessage(B_QUIT_REQUESTED);
		EXPECT_GE(looper->Run(), 0) << "try " << i;
		snooze(5000);  // its thread deletes it meanwhile
	}
}

TEST(BLooper, TakeQueuedMessageTakesTheFirstMatchAndKeepsTheRestInOrder)
{
	class Reader : public BLooper {
	public:
		using BLooper::NextQueuedMessage;
		using BLooper::TakeQueuedMessage;
	};
	Reader* looper = new Reader;
	for (uint32 what : {uint32('a'), uint32(B_MOUSE_MOVED), uint32('b'), uint32(B_MOUSE_UP)})
		looper->PostMessage(what);

	std::vector<uint32> order;
	BMessage* taken = looper->TakeQueuedMessage([](const BMessage& message) {
		return message.what == B_MOUSE_MOVED || message.what == B_MOUSE_UP;
	});
	for (BMessage* message = taken; message != NULL; message = looper->NextQueuedMessage(0)) {
		order.push_back(message->what);
		delete message;
	}
	EXPECT_EQ(order, (std::vector<uint32>{B_MOUSE_MOVED, 'a', 'b', B_MOUSE_UP}));
	looper->Quit();
}
