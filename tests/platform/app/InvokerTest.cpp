#include "LooperTestSupport.h"

#include <Handler.h>
#include <Invoker.h>
#include <Looper.h>
#include <Message.h>

using looper_test::Record;
using looper_test::RecordingLooper;
using looper_test::Watchdog;

namespace {

class CountedMessage : public BMessage {
public:
	CountedMessage(uint32 what, int* deletions) : BMessage(what), fDeletions(deletions) {}
	~CountedMessage() override { (*fDeletions)++; }

private:
	int* fDeletions;
};

class TargetHandler : public BHandler {
public:
	void MessageReceived(BMessage* message) override
	{
		fRecord->Add({message->what, find_thread(NULL), Looper()->IsLocked()});
	}
	Record* fRecord = NULL;
};

class QueueReader : public BLooper {
public:
	using BLooper::CountQueuedMessages;
	using BLooper::NextQueuedMessage;
};

}  // namespace

TEST(BInvoker, InvokeWithoutAMessageFailsWithBadValue)
{
	QueueReader* looper = new QueueReader;
	BInvoker invoker(NULL, looper);
	EXPECT_EQ(invoker.Invoke(), B_BAD_VALUE);
	EXPECT_EQ(looper->CountQueuedMessages(), 0);
	looper->Quit();
}

TEST(BInvoker, SetMessageDeletesThePreviousMessageAndTheInvokerDeletesTheLast)
{
	int deletions = 0;
	{
		BInvoker invoker(new CountedMessage('one', &deletions), NULL);
		invoker.SetMessage(new CountedMessage('two', &deletions));
		EXPECT_EQ(deletions, 1);
		EXPECT_EQ(invoker.Command(), (uint32)'two');
	}
	EXPECT_EQ(deletions, 2);
}

TEST(BInvoker, InvokeSendsACopyToTheTargetOnTheHandlersLooper)
{
	Watchdog watchdog;
	Record record;
	RecordingLooper* looper = new RecordingLooper(&record);
	TargetHandler* target = new TargetHandler;
	target->fRecord = &record;
	looper->AddHandler(target);
	BMessage* own = new BMessage('invk');
	BInvoker invoker(own, target);  // no looper: the handler's

	thread_id thread = looper->Run();
	EXPECT_EQ(invoker.Invoke(), B_OK);
	EXPECT_EQ(invoker.Message(), own);  // kept, not handed over
	ASSERT_TRUE(record.WaitForCount(1));

	std::vector<looper_test::Delivery> deliveries = record.Deliveries();
	EXPECT_EQ(deliveries[0].what, (uint32)'invk');
	EXPECT_EQ(deliveries[0].thread, thread);
	ASSERT_TRUE(looper->Lock());
	looper->RemoveHandler(target);
	looper->Quit();
	delete target;
}

TEST(BInvoker, InvokeWithAMessageSendsThatMessageInsteadOfItsOwn)
{
	QueueReader* looper = new QueueReader;
	BInvoker invoker(new BMessage('own '), looper);
	BMessage other('othr');
	EXPECT_EQ(invoker.Invoke(&other), B_OK);

	BMessage* queued = looper->NextQueuedMessage(0);
	ASSERT_NE(queued, (BMessage*)NULL);
	EXPECT_EQ(queued->what, (uint32)'othr');
	EXPECT_NE(queued, &other);
	delete queued;
	looper->Quit();
}

TEST(BInvoker, SetTargetRefusesAHandlerOfAnotherLooper)
{
	BLooper* one = new BLooper;
	BLooper* two = new BLooper;
	BHandler* handler = new BHandler;
	one->AddHandler(handler);
	BInvoker invoker;
	EXPECT_EQ(invoker.SetTarget(handler, two), B_MISMATCHED_VALUES);
	EXPECT_EQ(invoker.SetTarget(handler, one), B_OK);
	BLooper* looper = NULL;
	EXPECT_EQ(invoker.Target(&looper), handler);
	EXPECT_EQ(looper, one);
	delete handler;
	one->Quit();
	two->Quit();
}
