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

}  // namespace

// Posting never waits for the looper, even while a hook is busy.
TEST(BLooper, IsLockedByItsCreatorUntilRunThenRunsHooksInPostingOrderOnItsThreadLocked)
{
	Watchdog watchdog;
	Record record;
	std::atomic<bool> release(false);
	RecordingLooper* looper = new RecordingLooper(&record);
	looper->fAction = [&](BMessage*) { WaitUntil([&] { return release.load(); }); };
	EXPECT_EQ(looper->LockingThread(), find_thread(NULL));
	std::vector<uint32> posted;
	for (uint32 i = 0; i < 50; i++) {
		posted.push_back('m000' + i);
		looper->PostMessage('m000' + i);
	}
	thread_id thread = looper->Run();
	EXPECT_FALSE(looper->IsLocked());
	EXPECT_NE(thread, find_thread(NULL));
	record.Wait(1);
	EXPECT_EQ(looper->PostMessage('next'), B_OK);  // while the first hook is stuck
	posted.push_back('next');
	release = true;
	EXPECT_EQ(record.Wait(posted.size()), posted);
	EXPECT_EQ(record.threads, std::vector<thread_id>(posted.size(), thread));
	EXPECT_TRUE(record.allLocked);
	ASSERT_TRUE(looper->Lock());
	looper->Quit();
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
		const uint32 first = byRequest ? 'agre' : 'quit';
		if (byRequest)
			looper->PostMessage(B_QUIT_REQUESTED);  // refused
		looper->PostMessage(first);
		looper->PostMessage(byRequest ? B_QUIT_REQUESTED : 'late');
		looper->Run();

		EXPECT_TRUE(WaitUntil([&] { return deleted.load(); })) << byRequest;
		EXPECT_FALSE(deletedInsideHook) << byRequest;
		EXPECT_EQ(record.whats, std::vector<uint32>{first}) << byRequest;
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
