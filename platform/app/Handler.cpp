#include <Handler.h>

#include <Looper.h>
#include <Message.h>

BHandler::BHandler(const char* name) :
	fName(name != NULL ? name : ""),
	fHasName(name != NULL),
	fLooper(NULL),
	fNextHandler(NULL)
{
}

BHandler::~BHandler()
{
	// A looper that is being deleted can no longer be locked; only its deleting thread
	// touches it then, so the handler leaves it without the lock.
	if (fLooper != NULL) {
		BLooper* looper = fLooper;
		bool locked = looper->Lock();
		looper->RemoveHandler(this);
		if (locked)
			looper->Unlock();
	}
}

void BHandler::MessageReceived(BMessage* message)
{
	// Not handled here: on, in the same call, to the next handler. The last handler of the
	// chain drops it; nobody waits for a reply on this platform.
	if (fNextHandler != NULL && fNextHandler != this)
		fNextHandler->MessageReceived(message);
}

BLooper* BHandler::Looper() const
{
	return fLooper;
}

const char* BHandler::Name() const
{
	return fHasName ? fName.c_str() : NULL;
}

void BHandler::SetNextHandler(BHandler* handler)
{
	fNextHandler = handler;
}
