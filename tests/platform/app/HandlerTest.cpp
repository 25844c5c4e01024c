#include "LooperTestSupport.h"

#include <Handler.h>
#include <Looper.h>
#include <Message.h>
#include <OS.h>

#include <cstring>

using looper_test::Watchdog;

namespace {

// Records the message it sees, and whether the first handler of the chain was still inside
// its own MessageReceived at that moment.
class Last : public BHandler {
public:
	Last() : BHandler("last") {}
	void MessageReceived(BMessage* message) override
	{
		fSeen = message;
		fThread = find_thread(NULL);
		fInsideFirst = fFirstDepth != NULL && *fFirstDepth > 0;
	}
	BMessage* fSeen = NULL;
	thread_id fThread = -1;
	bool fInsideFirst = false;
	int* fFirstDepth = NULL;
};

class First : public BHandler {
public:
	First() : BHandler("first") {}
	void MessageReceived(BMessage* message) override
	{
		fDepth++;
		BHandler::MessageReceived(message);
		fDepth--;
	}
	int fDepth = 0;
};

}  // namespace

TEST(BHandler, NameIsNullWhenNoneWasGivenAndEmptyWhenAnEmptyOneWas)
{
	BHandler unnamed;
	BHandler empty("");
	EXPECT_EQ(unnamed.Name(), (const char*)NULL);
	ASSERT_NE(empty.Name(), (const char*)NULL);
	EXPECT_STREQ(empty.Name(), "");

	empty.SetName(NULL);
	EXPECT_EQ(empty.Name(), (const char*)NULL);
}

TEST(BHandler, AnUnhandledMessageGoesToTheNextHandlerInTheSameCall)
{
	First first;
	Last last;
	last.fFirstDepth = &first.fDepth;
	first.SetNextHandler(&last);
	BMessage message('pass');

	first.MessageReceived(&message);
	EXPECT_EQ(last.fSeen, &message);  // the same message, not a copy
	EXPECT_TRUE(last.fInsideFirst);
	EXPECT_EQ(last.fThread, find_thread(NULL));
}

TEST(BHandler, AHandlerAddedToALooperHandsUnhandledMessagesToTheLooper)
{
	class RecordingLooper : public BLooper {
	public:
		void MessageReceived(BMessage* message) override { fSeen = message; }
		BMessage* fSeen = NULL;
	};
	RecordingLooper* looper = new RecordingLooper;
	BHandler* handler = new BHandler("member");
	looper->AddHandler(handler);
	EXPECT_EQ(handler->Looper(), looper);
	EXPECT_EQ(handler->NextHandler(), looper);

	BMessage message('pass');
	handler->MessageReceived(&message);
	EXPECT_EQ(looper->fSeen, &message);
	delete handler;
	looper->Quit();
}

TEST(BHandler, DeletingAHandlerTakesItOutOfItsLooper)
{
	BLooper* looper = new BLooper;
	int32 before = looper->CountHandlers();
	BHandler* handler = new BHandler;
	looper->AddHandler(handler);
	EXPECT_EQ(looper->CountHandlers(), before + 1);

	delete handler;
	EXPECT_EQ(looper->CountHandlers(), before);
	looper->Quit();
}

TEST(BHandler, MessagesPostedToAHandlerReachItOnItsLoopersThread)
{
	Watchdog watchdog;
	class Target : public BHandler {
	public:
		void MessageReceived(BMessage* message) override
		{
			fWhat = message->what;
			fThread = find_thread(NULL);
			fLocked = Looper()->IsLocked();
			fGate.Open();
		}
		uint32 fWhat = 0;
		thread_id fThread = -1;
		bool fLocked = false;
		looper_test::Gate fGate;
	};
	BLooper* looper = new BLooper("target's");
	Target* target = new Target;
	looper->AddHandler(target);
	thread_id thread = looper->Run();
	looper->PostMessage('tgt!', target);
	ASSERT_TRUE(target->fGate.Wait());

	ASSERT_TRUE(looper->Lock());
	EXPECT_EQ(target->fWhat, (uint32)'tgt!');
	EXPECT_EQ(target->fThread, thread);
	EXPECT_TRUE(target->fLocked);
	looper->RemoveHandler(target);
	looper->Quit();
	delete target;
}
