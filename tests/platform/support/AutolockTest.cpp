#include <Autolock.h>
#include <Locker.h>
#include <Looper.h>

#include <gtest/gtest.h>

TEST(BAutolock, HoldsALockerForItsScope)
{
	BLocker locker("scoped");
	{
		BAutolock autolock(locker);
		EXPECT_TRUE(autolock.IsLocked());
		EXPECT_EQ(locker.CountLocks(), 1);
	}
	EXPECT_FALSE(locker.IsLocked());
}

TEST(BAutolock, HoldsALooperForItsScope)
{
	BLooper* looper = new BLooper("scoped");  // created locked: one lock
	{
		BAutolock autolock(looper);
		EXPECT_TRUE(autolock.IsLocked());
		EXPECT_EQ(looper->CountLocks(), 2);
	}
	EXPECT_EQ(looper->CountLocks(), 1);
	looper->Quit();
}

TEST(BAutolock, ANullLockerIsNotLocked)
{
	BAutolock autolock((BLocker*)NULL);
	EXPECT_FALSE(autolock.IsLocked());
}
