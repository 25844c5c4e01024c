#ifndef LOOPER_TEST_SUPPORT_H
#define LOOPER_TEST_SUPPORT_H

#include <Looper.h>
#include <Message.h>
#include <OS.h>

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "TestSupport.h"

namespace looper_test {

using testing_support::Watchdog;

// What a hook saw when it ran.
struct Delivery {
	uint32 what;
	thread_id thread;
	bool locked;
};

// Deliveries, recorded from any thread; Wait() blocks until there are count of them.
class Record {
public:
	void Add(const Delivery& delivery)
	{
		std::lock_guard<std::mutex> lock(fMutex);
		fDeliveries.push_back(delivery);
		fChanged.notify_all();
	}
	std::vector<Delivery> Wait(size_t count)
	{
		std::unique_lock<std::mutex> lock(fMutex);
		fChanged.wait_for(
			lock, std::chrono::seconds(5), [&] { return fDeliveries.size() >= count; });
		return fDeliveries;
	}
	std::vector<uint32> Whats(size_t count = 0)
	{
		std::vector<uint32> whats;
		for (const Delivery& delivery : Wait(count))
			whats.push_back(delivery.what);
		return whats;
	}

private:
	std::mutex fMutex;
	std::condition_variable fChanged;
	std::vector<Delivery> fDeliveries;
};

// Records every message it receives, runs an optional action for it, and raises a flag when
// it is deleted.
class RecordingLooper : public BLooper {
public:
	RecordingLooper(Record* record, std::atomic<bool>* deleted = NULL) :
		BLooper("recording"),
		fRecord(record),
		fDeleted(deleted)
	{
	}
	~RecordingLooper() override
	{
		if (fDeleted != NULL)
			*fDeleted = true;
	}
	void MessageReceived(BMessage* message) override
	{
		fRecord->Add(Delivery{message->what, find_thread(NULL), IsLocked()});
		if (fAction)
			fAction(message);
	}

	std::function<void(BMessage*)> fAction;  // set before Run()

private:
	Record* fRecord;
	std::atomic<bool>* fDeleted;
};

}  // namespace looper_test

#endif
