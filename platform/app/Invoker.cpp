#include <Invoker.h>

#include <Handler.h>
#include <Looper.h>
#include <Message.h>

BInvoker::BInvoker(BMessage* message, const BHandler* handler, const BLooper* looper) :
	fMessage(message),
	fHandler(NULL),
	fLooper(NULL)
{
	SetTarget(handler, looper);
}

BInvoker::~BInvoker()
{
	delete fMessage;
}

status_t BInvoker::SetTarget(const BHandler* handler, const BLooper* looper)
{
	// A handler not yet in a looper is taken as it is: its looper is looked up when invoked.
	if (handler != NULL && looper != NULL && handler->Looper() != NULL
		&& handler->Looper() != looper)
		return B_MISMATCHED_VALUES;
	fHandler = const_cast<BHandler*>(handler);
	fLooper = const_cast<BLooper*>(looper);
	return B_OK;
}

BHandler* BInvoker::Target(BLooper** looper) const
{
	if (looper != NULL)
		*looper = fLooper != NULL ? fLooper : (fHandler != NULL ? fHandler->Looper() : NULL);
	return fHandler;
}

status_t BInvoker::Invoke(BMessage* message)
{
	if (message == NULL)
		message = fMessage;
	if (message == NULL)
		return B_BAD_VALUE;
	BLooper* looper = NULL;
	BHandler* handler = Target(&looper);
	if (looper == NULL)
		return B_BAD_VALUE;
	// PostMessage queues a copy; a NULL handler means the looper itself.
	return looper->PostMessage(message, handler);
}
