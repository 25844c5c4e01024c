#ifndef _HANDLER_H
#define _HANDLER_H

#include <SupportDefs.h>

#include <string>

class BLooper;
class BMessage;

// Something that receives messages. Unhandled messages go on, synchronously, to the next
// handler.
class BHandler {
public:
	explicit BHandler(const char* name = NULL);
	virtual ~BHandler();

	virtual void MessageReceived(BMessage* message);

	BLooper* Looper() const;
	const char* Name() const;  // NULL when the handler has no name
	virtual void SetNextHandler(BHandler* handler);

private:
	friend class BLooper;
	BHandler(const BHandler&) = delete;
	BHandler& operator=(const BHandler&) = delete;

	std::string fName;
	bool fHasName;
	BLooper* fLooper;
	BHandler* fNextHandler;
};

#endif
