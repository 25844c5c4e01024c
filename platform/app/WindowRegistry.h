#ifndef PLATFORM_APP_WINDOW_REGISTRY_H
#define PLATFORM_APP_WINDOW_REGISTRY_H

#include <SupportDefs.h>

#include <vector>

class BLooper;

namespace platform {

// The application's windows, in the order they were made. A window adds itself, once, when it
// is created and removes itself when it is deleted; the application asks them to quit from
// here. Any thread may call.
class WindowRegistry {
public:
	static void Add(BLooper* window);
	static void Remove(BLooper* window);
	static int32 Count();
	static std::vector<BLooper*> List();
};

}  // namespace platform

#endif
