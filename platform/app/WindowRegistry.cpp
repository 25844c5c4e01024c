#include "app/WindowRegistry.h"

#include <algorithm>
#include <mutex>

namespace platform {

namespace {

struct WindowTable {
	std::mutex mutex;
	std::vector<BLooper*> windows;
};

// Never destroyed: a window may still be deleted after static destruction has begun.
WindowTable& Table()
{
	static WindowTable* table = new WindowTable;
	return *table;
}

}  // namespace

void WindowRegistry::Add(BLooper* window)
{
	WindowTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	table.windows.push_back(window);
}

void WindowRegistry::Remove(BLooper* window)
{
	WindowTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	table.windows.erase(
		std::remove(table.windows.begin(), table.windows.end(), window), table.windows.end());
}

int32 WindowRegistry::Count()
{
	WindowTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	return (int32)table.windows.size();
}

std::vector<BLooper*> WindowRegistry::List()
{
	WindowTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	return table.windows;
}

}  // namespace platform
