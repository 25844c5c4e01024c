#include "app/LooperThreads.h"

#include "app/LooperQueue.h"

#include <OS.h>

#include <condition_variable>
#include <cstdlib>
#include <list>
#include <mutex>
#include <thread>

namespace platform {

namespace {

struct ThreadEntry {
	std::thread thread;
	thread_id id = -1;
	bool ended = false;
	std::shared_ptr<LooperQueue> queue;  // the looper's, held until the thread ends
};

struct ThreadTable {
	std::mutex mutex;
	std::condition_variable changed;
	std::list<ThreadEntry> entries;
};

// Never destroyed: a std::thread still joinable when destroyed ends the process, and a
// looper that was never quit may still be running when static destruction starts.
ThreadTable& Table()
{
	static ThreadTable* table = [] {
		// Without an application to join them (a process of bare loopers), the threads
		// that ended are joined on the way out.
		atexit([] { LooperThreads::JoinEnded(); });
		return new ThreadTable;
	}();
	return *table;
}

// An ended thread has done its last work, so joining it only waits for it to return; that
// is why the table's lock may be held here.
void JoinEndedLocked(ThreadTable& table)
{
	for (auto it = table.entries.begin(); it != table.entries.end();) {
		if (it->ended) {
			it->thread.join();
			it = table.entries.erase(it);
		} else
			++it;
	}
}

void ThreadMain(
	ThreadEntry* entry, std::function<void(thread_id)> started, std::function<void()> body)
{
	ThreadTable& table = Table();
	thread_id self = find_thread(NULL);
	started(self);
	{
		std::lock_guard<std::mutex> lock(table.mutex);
		entry->id = self;
	}
	table.changed.notify_all();

	body();
	body = nullptr;
	started = nullptr;

	{
		std::lock_guard<std::mutex> lock(table.mutex);
		entry->ended = true;
		entry->queue.reset();
	}
	table.changed.notify_all();
}

}  // namespace

thread_id LooperThreads::Start(const std::function<void(thread_id)>& started,
	std::function<void()> body, std::shared_ptr<LooperQueue> queue)
{
	ThreadTable& table = Table();
	std::unique_lock<std::mutex> lock(table.mutex);
	JoinEndedLocked(table);
	table.entries.emplace_back();
	ThreadEntry* entry = &table.entries.back();
	entry->queue = std::move(queue);
	entry->thread = std::thread(ThreadMain, entry, started, std::move(body));
	table.changed.wait(lock, [entry] { return entry->id >= 0; });
	return entry->id;
}

void LooperThreads::Join(thread_id thread)
{
	if (thread < 0 || thread == find_thread(NULL))
		return;
	ThreadTable& table = Table();
	std::unique_lock<std::mutex> lock(table.mutex);
	auto find = [&] {
		for (auto it = table.entries.begin(); it != table.entries.end(); ++it) {
			if (it->id == thread)
				return it;
		}
		return table.entries.end();
	};
	table.changed.wait(lock, [&] {
		auto it = find();
		return it == table.entries.end() || it->ended;
	});
	auto it = find();
	if (it != table.entries.end()) {
		it->thread.join();
		table.entries.erase(it);
	}
}

void LooperThreads::JoinEnded()
{
	ThreadTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	JoinEndedLocked(table);
}

void LooperThreads::QuitAndJoinAll()
{
	ThreadTable& table = Table();
	std::unique_lock<std::mutex> lock(table.mutex);
	thread_id self = find_thread(NULL);
	for (ThreadEntry& entry : table.entries) {
		if (!entry.ended)
			entry.queue->PushQuit();
	}
	table.changed.wait(lock, [&] {
		for (const ThreadEntry& entry : table.entries) {
			if (!entry.ended && entry.id != self)
				return false;
		}
		return true;
	});
	JoinEndedLocked(table);
}

}  // namespace platform
