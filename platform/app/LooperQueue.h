#ifndef PLATFORM_APP_LOOPER_QUEUE_H
#define PLATFORM_APP_LOOPER_QUEUE_H

#include <SupportDefs.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

class BHandler;
class BLooper;
class BMessage;

namespace platform {

// A looper's message queue: first in, first out, shared by every thread that posts and the
// one thread that takes. It owns the messages it holds. A looper's queue can outlive the
// looper (the thread registry keeps it to ask a looper to quit), so after Close() posting
// fails and the messages left are freed.
class LooperQueue {
public:
	struct Item {
		BMessage* message = NULL;  // NULL for a quit order
		BHandler* handler = NULL;  // NULL: the looper itself
		bool quit = false;  // ends the loop, whatever the looper's hooks say
	};

	LooperQueue();
	~LooperQueue();

	// Take ownership of message; false (and the message is not taken) once closed.
	bool Push(BMessage* message, BHandler* handler);
	// From now on a message with this code that is pushed while the last one queued has the
	// same code and handler takes that one's place: of a burst, only the latest waits.
	void Coalesce(uint32 what);
	// Takes ownership of message, ahead of everything queued; only before the loop runs,
	// while the queue is surely open.
	void PushFront(BMessage* message, BHandler* handler);
	// Queues an order to end the loop behind whatever is queued now.
	void PushQuit();

	// Waits for an item; false once the queue is closed.
	bool Pop(Item* item);
	// Takes the first queued message that match() accepts, passing over the others, waiting
	// at most timeout microseconds for one to come (0: only looks). Never takes a quit order,
	// and gives up at once when one is queued.
	BMessage* TakeFirst(const std::function<bool(const BMessage&)>& match, bigtime_t timeout);

	// Frees every message queued for the handler.
	void DropMessagesFor(BHandler* handler);
	// Frees what is queued; later posts fail.
	void Close();

	// What waits in a looper's queue other than messages for besides, for a caller that waits
	// until a looper has handled all it was sent (the tests' window driver, whose
	// calls wait behind everything but each other).
	static int32 CountFor(const BLooper& looper, const BHandler* besides);

private:
	LooperQueue(const LooperQueue&) = delete;
	LooperQueue& operator=(const LooperQueue&) = delete;

	bool WaitFor(
		std::unique_lock<std::mutex>& lock, bigtime_t timeout, const std::function<bool()>& ready);
	bool HasQuitLocked() const;

	mutable std::mutex fMutex;
	std::condition_variable fChanged;
	std::deque<Item> fItems;
	std::vector<uint32> fCoalescing;
	bool fClosed;
};

}  // namespace platform

#endif
