#include <Autolock.h>
#include <Locker.h>
#include <OS.h>

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <thread>

TEST(BLocker, IsRecursiveForItsHolder)
{
	BLocker locker("test");
	ASSERT_TRUE(locker.Lock());
	ASSERT_TRUE(locker.Lock());
	EXPECT_EQ(locker.CountLocks(), 2);
	locker.Unlock();
	EXPECT_TRUE(locker.IsLocked());
	locker.Unlock();
	EXPECT_FALSE(locker.IsLocked());
	EXPECT_EQ(locker.LockingThread(), -1);
}

TEST(BLocker, KnowsItsHolderByKernelThreadId)
{
	BLocker locker;
	locker.Lock();
	EXPECT_EQ(locker.LockingThread(), (thread_id)gettid());
	EXPECT_EQ(find_thread(NULL), (thread_id)gettid());

	bool lockedElsewhere = true;
	std::thread other([&] { lockedElsewhere = locker.IsLocked(); });
	other.join();
	EXPECT_FALSE(lockedElsewhere);
	locker.Unlock();
}

TEST(BLocker, TimedLockFailsWhileAnotherThreadHoldsIt)
{
	BLocker locker;
	locker.Lock();
	status_t timed = B_OK;
	status_t tried = B_OK;
	std::thread other([&] {
		timed = locker.LockWithTimeout(1000);
		tried = locker.LockWithTimeout(0);
	});
	other.join();
	EXPECT_EQ(timed, B_TIMED_OUT);
	EXPECT_EQ(tried, B_WOULD_BLOCK);
	locker.Unlock();
}

TEST(BLocker, UnlockByAnotherThreadIsIgnored)
{
	BLocker locker;
	locker.Lock();
	std::thread other([&] { locker.Unlock(); });
	other.join();
	EXPECT_TRUE(locker.IsLocked());
	EXPECT_EQ(locker.CountLocks(), 1);
	locker.Unlock();
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
}

TEST(BAutolock, HoldsTheLockForItsScope)
{
	BLocker locker;
	{
		BAutolock autolock(locker);
		EXPECT_TRUE(autolock.IsLocked());
		EXPECT_TRUE(locker.IsLocked());
	}
	EXPECT_FALSE(locker.IsLocked());
}

TEST(SystemTime, NeverGoesBackwards)
{
	bigtime_t first = system_time();
	snooze(100);
	EXPECT_GE(system_time(), first + 100);
}
