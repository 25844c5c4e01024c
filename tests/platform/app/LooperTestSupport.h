#ifndef LOOPER_TEST_SUPPORT_H
#define LOOPER_TEST_SUPPORT_H

#include <Looper.h>
#include <Message.h>
#include <OS.h>

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

namespace looper_test {

// Ends the test process if a test deadlocks, instead of letting it hang.
class Watchdog {
public:
	explicit Watchdog(unsigned seconds = 20)
	{
		signal(SIGALRM, [](int) {
			const char text[] = "watchdog: the test deadlocked\n";
			ssize_t ignored = write(2, text, sizeof(text) - 1);
			(void)ignored;
			_exit(3);
		});
		alarm(seconds);
	}
	~Watchdog() { alarm(0); }
};

// A one-shot signal between threads.
class Gate {
public:
	void Open()
	{
		std::lock_guard<std::mutex> lock(fMutex);
		fOpen = true;
		fChanged.notify_all();
	}
	bool Wait(std::chrono::milliseconds timeout = std::chrono::milliseconds(5000))
	{
		std::unique_lock<std::mutex> lock(fMutex);
		return fChanged.wait_for(lock, timeout, [this] { return fOpen; });
	}
	bool IsOpen()
	{
		std::lock_guard<std::mutex> lock(fMutex);
		return fOpen;
	}

private:
	std::mutex fMutex;
	std::condition_variable fChanged;
	bool fOpen = false;
};

// What a hook saw when it ran.
struct Delivery {
	uint32 what;
	thread_id thread;
	bool locked;
};

// A thread-safe record of deliveries.
class Record {
public:
	void Add(const Delivery& delivery)
	{
		std::lock_guard<std::mutex> lock(fMutex);
		fDeliveries.push_back(delivery);
		fChanged.notify_all();
	}
	std::vector<Delivery> Deliveries()
	{
		std::lock_guard<std::mutex> lock(fMutex);
		return fDeliveries;
	}
	std::vector<uint32> Whats()
	{
		std::vector<uint32> whats;
		for (const Delivery& delivery : Deliveries())
			whats.push_back(delivery.what);
		return whats;
	}
	bool WaitForCount(size_t count)
	{
		std::unique_lock<std::mutex> lock(fMutex);
		return fChanged.wait_for(lock, std::chrono::seconds(5),
			[&] { return fDeliveries.size() >= count; });
	}

private:
	std::mutex fMutex;
	std::condition_variable fChanged;
	std::vector<Delivery> fDeliveries;
};

// A looper that records every message it receives, runs an optional action for it, and
// raises a flag when it is deleted.
class RecordingLooper : public BLooper {
public:
	RecordingLooper(Record* record, std::atomic<bool>* deleted = NULL)
		:
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

	std::function<void(BMessage*)> fAction;

private:
	Record* fRecord;
	std::atomic<bool>* fDeleted;
};

}  // namespace looper_test

#endif
