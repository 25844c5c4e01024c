#include <Looper.h>

#include <Message.h>
#include <OS.h>

#include "app/LooperList.h"
#include "app/LooperQueue.h"
#include "app/LooperThreads.h"

#include <algorithm>

using platform::LooperList;
using platform::LooperQueue;
using platform::LooperThreads;

// Life of a looper. It is created locked by its creator; Run() starts its thread and gives
// that lock up. Every message is handled on the thread with the looper locked. Quit() on the
// thread ends the loop after the current message; the thread then deletes the looper.
// Quit() from another thread orders the quit through the queue, gives up the caller's lock
// and waits (LooperThreads) until the thread has deleted the looper and ended.
//
// Deleting is done by DeleteSafely(): it marks the looper dead in the LooperList (from then
// on Lock() fails), lets every thread that holds the lock or waits for it finish, and
// deletes the looper while holding the lock itself, as the destructors may expect.

BLooper::BLooper(const char* name, int32 /*priority*/, int32 /*portCapacity*/) :
	BHandler(name),
	fQueue(std::make_shared<LooperQueue>()),
	fThread(-1),
	fRunCalled(false),
	fQuitting(false),
	fOwnThread(false)
{
	LooperList::Add(this);
	AddHandler(this);
	Lock();
}

BLooper::~BLooper()
{
	// Deleted directly rather than through Quit(): nobody may lock it from now on.
	if (LooperList::IsListed(this)) {
		LooperList::MarkDead(this);
		ReleaseOwnLocks();
		LooperList::Forget(this);
	}

	fQueue->Close();
	for (BHandler* handler : fHandlers) {
		handler->fLooper = NULL;
		if (handler->fNextHandler == this)
			handler->fNextHandler = NULL;
	}
	fHandlers.clear();
	ReleaseOwnLocks();
}

status_t BLooper::PostMessage(uint32 command)
{
	BMessage message(command);
	return PostMessage(&message, this, NULL);
}

status_t BLooper::PostMessage(BMessage* message)
{
	return PostMessage(message, this, NULL);
}

status_t BLooper::PostMessage(uint32 command, BHandler* handler, BHandler* replyTo)
{
	BMessage message(command);
	return PostMessage(&message, handler, replyTo);
}

status_t BLooper::PostMessage(BMessage* message, BHandler* handler, BHandler* /*replyTo*/)
{
	if (message == NULL)
		return B_BAD_VALUE;
	if (handler != NULL && handler->Looper() != this)
		return B_BAD_HANDLER;

	BMessage* copy = new BMessage(*message);
	if (!fQueue->Push(copy, handler)) {
		delete copy;
		return B_ERROR;
	}
	return B_OK;
}

void BLooper::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (message->what == B_QUIT_REQUESTED && handler == this) {
		if (QuitRequested())
			Quit();
		return;
	}
	handler->MessageReceived(message);
}

void BLooper::MessageReceived(BMessage* message)
{
	BHandler::MessageReceived(message);
}

void BLooper::AddHandler(BHandler* handler)
{
	if (handler == NULL || handler->fLooper == this)
		return;
	if (handler->fLooper != NULL)
		handler->fLooper->RemoveHandler(handler);

	fHandlers.push_back(handler);
	handler->fLooper = this;
	if (handler != this)
		handler->SetNextHandler(this);
}

bool BLooper::RemoveHandler(BHandler* handler)
{
	if (handler == NULL || handler == this || handler->fLooper != this)
		return false;
	auto it = std::find(fHandlers.begin(), fHandlers.end(), handler);
	if (it == fHandlers.end())
		return false;

	fHandlers.erase(it);
	handler->fLooper = NULL;
	handler->SetNextHandler(NULL);
	fQueue->DropMessagesFor(handler);
	return true;
}

thread_id BLooper::Run()
{
	if (fRunCalled)
		return fThread;
	fRunCalled = true;
	fOwnThread = true;
	bool locked = fLocker.IsLocked();
	thread_id thread = StartThread();
	// The lock the looper was created with. Once it is given up the thread may quit and
	// delete the looper at any moment, so nothing of it is read after.
	if (locked)
		fLocker.Unlock();
	return thread;
}

thread_id BLooper::StartThread()
{
	return LooperThreads::Start([this](thread_id thread) { ThreadStarted(thread); },
		[this] {
			Loop();
			DeleteSafely();
		},
		fQueue);
}

void BLooper::ThreadStarted(thread_id thread)
{
	fThread = thread;
	LooperList::SetThread(this, thread);
}

void BLooper::RunLoopOnCallingThread()
{
	fRunCalled = true;
	fOwnThread = false;
	ThreadStarted(find_thread(NULL));
	if (fLocker.IsLocked())
		fLocker.Unlock();
	if (Loop())
		Unlock();
	LooperList::SetThread(this, -1);
}

bool BLooper::Loop()
{
	while (true) {
		LooperQueue::Item item;
		if (!fQueue->Pop(&item))
			return false;
		if (!Lock()) {
			delete item.message;
			return false;
		}
		if (item.quit) {
			fQuitting = true;
			return true;
		}

		BHandler* handler = ResolveTarget(item.handler);
		if (handler != NULL)
			DispatchMessage(item.message, handler);
		delete item.message;
		// The lock is kept past the last message, for the deletion.
		if (fQuitting)
			return true;
		Unlock();
	}
}

BHandler* BLooper::ResolveTarget(BHandler* handler)
{
	if (handler == NULL)
		return this;
	return handler->fLooper == this ? handler : NULL;
}

void BLooper::Quit()
{
	if (fRunCalled && fThread == find_thread(NULL)) {
		// Ends after the current message; the loop's end deletes the looper.
		fQuitting = true;
		return;
	}
	QuitFromOtherThread();
}

void BLooper::QuitFromOtherThread()
{
	if (!IsLocked() && !Lock())
		return;
	if (!fRunCalled) {
		DeleteSafely();
		return;
	}

	thread_id thread = fThread;
	bool ownThread = fOwnThread;
	fQueue->PushQuit();
	// From here on the looper may be gone.
	ReleaseOwnLocks();
	if (ownThread)
		LooperThreads::Join(thread);
}

void BLooper::DeleteSafely()
{
	int32 lockers = LooperList::MarkDead(this);
	// Holding the lock while nobody waits for it: nobody else can get it any more.
	// Otherwise let every other holder and waiter finish first.
	if (!fLocker.IsLocked() || lockers > 0) {
		ReleaseOwnLocks();
		LooperList::Forget(this);
		fLocker.Lock();
	} else
		LooperList::Forget(this);
	delete this;
}

void BLooper::ReleaseOwnLocks()
{
	// Counted first: the last Unlock() may let another thread delete the looper.
	int32 count = fLocker.IsLocked() ? fLocker.CountLocks() : 0;
	while (count-- > 0)
		fLocker.Unlock();
}

bool BLooper::QuitRequested()
{
	return true;
}

bool BLooper::Lock()
{
	// The looper may die while this thread waits for its lock; the pin keeps it from being
	// deleted until this thread has let go again.
	if (!LooperList::Pin(this))
		return false;
	fLocker.Lock();
	bool alive = LooperList::IsAlive(this);
	if (!alive)
		fLocker.Unlock();
	LooperList::Unpin(this);
	return alive;
}

void BLooper::Unlock()
{
	fLocker.Unlock();
}

bool BLooper::IsLocked() const
{
	return fLocker.IsLocked();
}

thread_id BLooper::Thread() const
{
	return fThread;
}

BLooper* BLooper::LooperForThread(thread_id thread)
{
	return LooperList::ForThread(thread);
}

BMessage* BLooper::TakeQueuedMessage(
	const std::function<bool(const BMessage&)>& match, bigtime_t timeout)
{
	return fQueue->TakeFirst(match, timeout);
}

void BLooper::CoalesceQueued(uint32 what)
{
	fQueue->Coalesce(what);
}
