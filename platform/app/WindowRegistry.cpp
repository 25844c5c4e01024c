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
	if (window == NULL)
		return;
	WindowTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	if (std::find(table.windows.begin(), table.windows.end(), window) == table.windows.end())
		table.windows.push_back(window);
}

void WindowRegistry::Remove(BLooper* window)
{
	WindowTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	table.windows.erase(
		std::remove(table.windows.begin(), table.windows.end(), window), table.windows.end());
}

bool WindowRegistry::Contains(BLooper* window)
{
	WindowTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	return std::find(table.windows.begin(), table.windows.end(), window) != table.windows.end();
}

int32 WindowRegistry::Count()
{
	WindowTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	return (int32)table.windows.size();
}

BLooper* WindowRegistry::At(int32 index)
{
	WindowTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	if (index < 0 || index >= (int32)table.windows.size())
		return NULL;
	return table.windows[index];
}

std::vector<BLooper*> WindowRegistry::List()
{
	WindowTable& table = Table();
	std::lock_guard<std::mutex> lock(table.mutex);
	return table.windows;
}

}  // namespace platform
