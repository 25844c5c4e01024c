// The program's composition: its host is the display, or the headless host when there is no
// display and the launch switch hands over files; the desktop observes the node icons stored,
// and the interface kit's font loads while the display connects.

#include "app/FirstFrameWork.h"
#include "app/LaunchArguments.h"
#include "host/choice/DisplayOrHeadlessHost.h"
#include "host/gtk/GtkHost.h"
#include "host/headless/HeadlessHost.h"

#include "desktop/FolderIconObserver.h"
#include "interface/PlainFont.h"

namespace platform {

namespace {

// The desktop keeps the file managers' view of the folder icons that the storage kit stores:
// installed before main, so that every node icon stored by this program is seen.
const bool sObserving = (SetNodeIconObserver(&FolderIconObserver::Instance()), true);

// The first frame needs the plain font: it loads while the display connects.
const bool sWarming = (SetFirstFrameWork([] { PlainFont::Default(); }), true);

}  // namespace

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
