#include "LooperTestSupport.h"

#include <Handler.h>
#include <Invoker.h>
#include <Looper.h>
#include <Message.h>

using looper_test::Record;
using looper_test::Watchdog;

namespace {

class CountedMessage : public BMessage {
public:
	CountedMessage(uint32 what, int* deletions) :
		BMessage(what),
		fDeletions(deletions)
	{
	}
	~CountedMessage() override { (*fDeletions)++; }

private:
	int* fDeletions;
};

class Target : public BHandler {
public:
	explicit Target(Record* record) :
		fRecord(record)
	{
	}
	void MessageReceived(BMessage* message) override
	{
		fRecord->Add({message->what, find_thread(NULL), Looper()->IsLocked()});
	}

private:
	Record* fRecord;
};

}  // namespace

TEST(BInvoker, DeletesItsMessage)
{
	int deletions = 0;
	{
		BInvoker invoker(new CountedMessage('one', &deletions), NULL);
		EXPECT_EQ(deletions, 0);
	}
	EXPECT_EQ(deletions, 1);
}

TEST(BInvoker, InvokeSendsACopyToTheTargetOnItsLoopersThread)
{
	Watchdog watchdog;
	Record record;
	BLooper* looper = new BLooper;
	Target* target = new Target(&record);
	looper->AddHandler(target);
	BMessage* own = new BMessage('invk');
	BInvoker invoker(own, target);  // no looper given: the target's

	thread_id thread = looper->Run();
	EXPECT_EQ(invoker.Invoke(), B_OK);
	EXPECT_EQ(invoker.Message(), own);  // kept, not handed over
	std::vector<looper_test::Delivery> seen = record.Wait(1);
	EXPECT_EQ(seen[0].what, (uint32)'invk');
	EXPECT_EQ(seen[0].thread, thread);

	ASSERT_TRUE(looper->Lock());
	looper->RemoveHandler(target);
	looper->Quit();
	delete target;
}
