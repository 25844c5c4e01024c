#include <Handler.h>
#include <Looper.h>
#include <Message.h>
#include <OS.h>

#include <gtest/gtest.h>

namespace {

// Counts how deep it is inside its own MessageReceived.
class First : public BHandler {
public:
	void MessageReceived(BMessage* message) override
	{
		fDepth++;
		BHandler::MessageReceived(message);
		fDepth--;
	}
	int fDepth = 0;
};

class Last : public BHandler {
public:
	void MessageReceived(BMessage* message) override
	{
		fSeen = message;
		fThread = find_thread(NULL);
		fFirstDepth = fFirst->fDepth;
	}
	First* fFirst = NULL;
	BMessage* fSeen = NULL;
	thread_id fThread = -1;
	int fFirstDepth = 0;
};

}  // namespace

TEST(BHandler, NameIsNullWhenNoneWasGivenAndEmptyWhenAnEmptyOneWas)
{
	BHandler unnamed;
	BHandler empty("");
	EXPECT_EQ(unnamed.Name(), (const char*)NULL);
	ASSERT_NE(empty.Name(), (const char*)NULL);
	EXPECT_STREQ(empty.Name(), "");
}

TEST(BHandler, AnUnhandledMessageGoesToTheNextHandlerInsideTheSameCall)
{
	First first;
	Last last;
	last.fFirst = &first;
	first.SetNextHandler(&last);
	BMessage message('pass');

	first.MessageReceived(&message);
	EXPECT_EQ(last.fSeen, &message);  // the same message, not a copy
	EXPECT_EQ(last.fFirstDepth, 1);
	EXPECT_EQ(last.fThread, find_thread(NULL));
}
