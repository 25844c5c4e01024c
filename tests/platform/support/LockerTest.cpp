#include <Locker.h>
#include <OS.h>

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <thread>

// The holder is known by its kernel thread id, may lock again, and no other thread can
// unlock it or take it.
TEST(BLocker, IsRecursiveForItsHolderOnlyAndKnowsItByKernelThreadId)
{
	BLocker locker("test");
	ASSERT_TRUE(locker.Lock());
	ASSERT_TRUE(locker.Lock());
	EXPECT_EQ(locker.CountLocks(), 2);
	EXPECT_EQ(locker.LockingThread(), (thread_id)gettid());
	EXPECT_EQ(find_thread(NULL), (thread_id)gettid());

	bool lockedThere = true;
	status_t timed = B_OK, tried = B_OK;
	std::thread([&] {
		lockedThere = locker.IsLocked();
		locker.Unlock();  // ignored: not the holder
		timed = locker.LockWithTimeout(1000);
		tried = locker.LockWithTimeout(0);
	}).join();
	EXPECT_FALSE(lockedThere);
	EXPECT_EQ(timed, B_TIMED_OUT);
	EXPECT_EQ(tried, B_WOULD_BLOCK);
	EXPECT_EQ(locker.CountLocks(), 2);

	locker.Unlock();
	EXPECT_TRUE(locker.IsLocked());
	locker.Unlock();
	EXPECT_FALSE(locker.IsLocked());
	EXPECT_EQ(locker.LockingThread(), -1);
}

TEST(BLocker, WaitingThreadGetsTheLockWhenReleased)
{
	BLocker locker;
	locker.Lock();
	std::atomic<bool> acquired(false);
	std::thread other([&] {
		// Bounded, so that a lost wake-up fails instead of hanging.
		acquired = locker.LockWithTimeout(10000000) == B_OK;
		if (acquired)
			locker.Unlock();
	});
	snooze(1000);
	locker.Unlock();
	other.join();
	EXPECT_TRUE(acquired);
	bigtime_t before = system_time();
	snooze(100);
	EXPECT_GE(system_time(), before + 100) << "the clock never goes back";
}
