// The composition of tests, benchmarks and drivers: the headless host alone, and the desktop
// observing the node icons stored, as in the program.

#include "host/headless/HeadlessHost.h"

#include "desktop/FolderIconObserver.h"

namespace platform {

namespace {

// The desktop keeps the file managers' view of the folder icons that the storage kit stores:
// installed before main, so that every node icon stored by this program is seen.
const bool sObserving = (SetNodeIconObserver(&FolderIconObserver::Instance()), true);

}  // namespace

Host& TheHost()
{
	return HeadlessHost::Instance();
}

}  // namespace platform
