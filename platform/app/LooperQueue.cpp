#include "app/LooperQueue.h"

#include <Looper.h>
#include <Message.h>
#include <OS.h>

#include <algorithm>
#include <chrono>

namespace platform {

LooperQueue::LooperQueue() :
	fClosed(false)
{
}

LooperQueue::~LooperQueue()
{
	Close();
}

// Every change is announced with the lock held: the taking thread may end and free the
// queue as soon as it sees the change.

bool LooperQueue::Push(BMessage* message, BHandler* handler)
{
	BMessage* replaced = NULL;
	{
		std::lock_guard<std::mutex> lock(fMutex);
		if (fClosed)
			return false;
		Item* last = fItems.empty() ? NULL : &fItems.back();
		if (last != NULL && last->message != NULL && last->handler == handler
			&& last->message->what == message->what
			&& std::find(fCoalescing.begin(), fCoalescing.end(), message->what)
				!= fCoalescing.end()) {
			replaced = last->message;
			last->message = message;
		} else
			fItems.push_back(Item{message, handler, false});
		fChanged.notify_all();
	}
	delete replaced;
	return true;
}

void LooperQueue::Coalesce(uint32 what)
{
	std::lock_guard<std::mutex> lock(fMutex);
	if (std::find(fCoalescing.begin(), fCoalescing.end(), what) == fCoalescing.end())
		fCoalescing.push_back(what);
}

void LooperQueue::PushFront(BMessage* message, BHandler* handler)
{
	std::lock_guard<std::mutex> lock(fMutex);
	fItems.push_front(Item{message, handler, false});
	fChanged.notify_all();
}

void LooperQueue::PushQuit()
{
	{
		std::lock_guard<std::mutex> lock(fMutex);
		if (fClosed)
			return;
		fItems.push_back(Item{NULL, NULL, true});
		fChanged.notify_all();
	}
}

bool LooperQueue::Pop(Item* item)
{
	std::unique_lock<std::mutex> lock(fMutex);
	fChanged.wait(lock, [this] { return !fItems.empty() || fClosed; });
	if (fItems.empty())
		return false;
	*item = fItems.front();
	fItems.pop_front();
	return true;
}

BMessage* LooperQueue::TakeFirst(
	const std::function<bool(const BMessage&)>& match, bigtime_t timeout)
{
	std::unique_lock<std::mutex> lock(fMutex);
	BMessage* found = NULL;
	auto findMatch = [&]() {
		if (HasQuitLocked())
			return true;
		// No quit order is queued, so every item holds a message.
		for (auto it = fItems.begin(); it != fItems.end(); ++it) {
			if (match(*it->message)) {
				found = it->message;
				fItems.erase(it);
				return true;
			}
		}
		return false;
	};
	WaitFor(lock, timeout, findMatch);
	return found;
}

void LooperQueue::DropMessagesFor(BHandler* handler)
{
	std::deque<Item> dropped;
	{
		std::lock_guard<std::mutex> lock(fMutex);
		std::deque<Item> kept;
		for (const Item& item : fItems)
			(item.quit || item.handler != handler ? kept : dropped).push_back(item);
		fItems.swap(kept);
	}
	for (const Item& item : dropped)
		delete item.message;
}

void LooperQueue::Close()
{
	std::deque<Item> left;
	{
		std::lock_guard<std::mutex> lock(fMutex);
		fClosed = true;
		left.swap(fItems);
		fChanged.notify_all();
	}
	// Freed outside the lock: a message's destructor may be anything.
	for (const Item& item : left)
		delete item.message;
}

int32 LooperQueue::CountFor(const BLooper& looper, const BHandler* besides)
{
	const LooperQueue& queue = *looper.fQueue;
	std::lock_guard<std::mutex> lock(queue.fMutex);
	return (int32)std::count_if(queue.fItems.begin(), queue.fItems.end(),
		[besides](const Item& item) { return item.quit || item.handler != besides; });
}

bool LooperQueue::HasQuitLocked() const
{
	return std::any_of(fItems.begin(), fItems.end(), [](const Item& item) { return item.quit; });
}

bool LooperQueue::WaitFor(
	std::unique_lock<std::mutex>& lock, bigtime_t timeout, const std::function<bool()>& ready)
{
	// Beyond a year is for ever; it also keeps the deadline from overflowing.
	const bigtime_t kForever = 365LL * 24 * 3600 * 1000000;
	if (timeout >= kForever) {
		fChanged.wait(lock, ready);
		return true;
	}
	if (timeout <= 0)
		return ready();
	auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(timeout);
	return fChanged.wait_until(lock, deadline, ready);
}

}  // namespace platform
