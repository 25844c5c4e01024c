#include "app/LooperList.h"

#include <condition_variable>
#include <mutex>
#include <unordered_map>

namespace platform {

namespace {

struct LooperEntry {
	thread_id thread = -1;
	int32 pins = 0;
	bool alive = true;
};

struct LooperTable {
	std::mutex mutex;
	std::condition_variable unpinned;
	std::unordered_map<BLooper*, LooperEntry> entries;
};

// Never destroyed: loopers may end after static destruction has begun.
LooperTable& Table()
{
	static LooperTable* table = new LooperTable;
	return *table;
}

}  // namespace

void LooperList::Add(BLooper* looper)
{
	LooperTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	table.entries[looper] = LooperEntry();
}

void LooperList::SetThread(BLooper* looper, thread_id thread)
{
	LooperTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	auto it = table.entries.find(looper);
	if (it != table.entries.end())
		it->second.thread = thread;
}

BLooper* LooperList::ForThread(thread_id thread)
{
	if (thread < 0)
		return NULL;
	LooperTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	for (const auto& [looper, entry] : table.entries) {
		if (entry.alive && entry.thread == thread)
			return looper;
	}
	return NULL;
}

bool LooperList::Pin(BLooper* looper)
{
	LooperTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	auto it = table.entries.find(looper);
	if (it == table.entries.end() || !it->second.alive)
		return false;
	it->second.pins++;
	return true;
}

void LooperList::Unpin(BLooper* looper)
{
	LooperTable& table = Table();
	{
		std::lock_guard<std::mutex> lock(table.mutex);
		auto it = table.entries.find(looper);
		if (it != table.entries.end())
			it->second.pins--;
	}
	table.unpinned.notify_all();
}

bool LooperList::IsAlive(BLooper* looper)
{
	LooperTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	auto it = table.entries.find(looper);
	return it != table.entries.end() && it->second.alive;
}

bool LooperList::IsListed(BLooper* looper)
{
	LooperTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	return table.entries.count(looper) != 0;
}

int32 LooperList::MarkDead(BLooper* looper)
{
	LooperTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	auto it = table.entries.find(looper);
	if (it == table.entries.end())
		return 0;
	it->second.alive = false;
	return it->second.pins;
}

void LooperList::Forget(BLooper* looper)
{
	LooperTable& table = Table();
	std::unique_lock<std::mutex> lock(table.mutex);
	// Marked dead by every caller first: no new pin can come.
	table.unpinned.wait(lock, [&] { return table.entries[looper].pins == 0; });
	table.entries.erase(looper);
}

}  // namespace platform
