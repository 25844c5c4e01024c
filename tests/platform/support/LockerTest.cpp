#include <Locker.h>
#include <OS.h>

#include "TestSupport.h"

#include <unistd.h>

#include <atomic>
#include <thread>

// The holder is known by its kernel thread id and may lock again; another thread can neither
// unlock nor take it, and a thread waiting for it gets it once it is released.
TEST(BLocker, IsRecursiveForItsHolderOnlyAndHandsOverWhenReleased)
{
	BLocker locker("test");
	ASSERT_TRUE(locker.Lock());
	ASSERT_TRUE(locker.Lock());
	EXPECT_EQ(find_thread(NULL), (thread_id)gettid());

	bool lockedThere = true;
	status_t timed = B_OK, tried = B_OK, waited = B_ERROR;
	std::atomic<bool> waiting(false);
	std::thread other([&] {
		lockedThere = locker.IsLocked();
		locker.Unlock();  // ignored: not the holder
		timed = locker.LockWithTimeout(1000);
		tried = locker.LockWithTimeout(0);
		waiting = true;
		// Bounded, so that a lost wake-up fails instead of hanging.
		waited = locker.LockWithTimeout(10000000);
		if (waited == B_OK)
			locker.Unlock();
	});
	ASSERT_TRUE(testing_support::WaitUntil([&] { return waiting.load(); }));
	EXPECT_EQ(locker.CountLocks(), 2);
	locker.Unlock();
	EXPECT_TRUE(locker.IsLocked());
	snooze(1000);
	locker.Unlock();
	other.join();
	EXPECT_FALSE(lockedThere);
	EXPECT_EQ(timed, B_TIMED_OUT);
	EXPECT_EQ(tried, B_WOULD_BLOCK);
	EXPECT_EQ(waited, B_OK);
	EXPECT_FALSE(locker.IsLocked());
}
