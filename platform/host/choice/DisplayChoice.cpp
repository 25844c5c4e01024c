// The program's host: the display, or the headless host when there is no display and the
// launch switch hands over files.

#include "app/LaunchArguments.h"
#include "host/choice/DisplayOrHeadlessHost.h"
#include "host/gtk/GtkHost.h"
#include "host/headless/HeadlessHost.h"

namespace platform {

Host& TheHost()
{
	static DisplayOrHeadlessHost host(
		GtkHost::Instance(), HeadlessHost::Instance(),
		[](std::string* whyNot) {
			std::vector<std::string> arguments = LaunchArguments::Get();
			if (LaunchArguments::HandsOverRefs(arguments))
				return true;
			if (arguments.size() > 1 && arguments[1] == LaunchArguments::kRefsSwitch)
				*whyNot = "--refs names no existing file to handle without it";
			return false;
		},
		[] { return LaunchArguments::ProgramName(); });
	return host;
}

}  // namespace platform
