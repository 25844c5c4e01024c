#ifndef _INVOKER_H
#define _INVOKER_H

#include <SupportDefs.h>

class BHandler;
class BLooper;
class BMessage;

// Holds a message (owned) and a target, and sends a copy of the message to the target.
class BInvoker {
public:
	BInvoker(BMessage* message, const BHandler* handler, const BLooper* looper = NULL);
	virtual ~BInvoker();

	virtual status_t SetTarget(const BHandler* handler, const BLooper* looper = NULL);
	BHandler* Target(BLooper** looper = NULL) const;

	// Sends a copy of message, or of the invoker's own message when message is NULL.
	virtual status_t Invoke(BMessage* message = NULL);

private:
	BInvoker(const BInvoker&) = delete;
	BInvoker& operator=(const BInvoker&) = delete;

	BMessage* fMessage;
	BHandler* fHandler;
	BLooper* fLooper;
};

#endif
