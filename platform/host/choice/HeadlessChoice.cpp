// Tests, benchmarks and drivers run on the headless host alone.

#include "host/headless/HeadlessHost.h"

namespace platform {

Host& TheHost()
{
	return HeadlessHost::Instance();
}

}  // namespace platform
