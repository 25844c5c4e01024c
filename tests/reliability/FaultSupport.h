#ifndef FAULT_SUPPORT_H
#define FAULT_SUPPORT_H

#include <Message.h>
#include <Point.h>

#include <functional>
#include <map>
#include <string>

#include "AppRunner.h"
#include "TestSupport.h"

// What the fault tests share: every attribute of a node, the icons a Set icon composes, the
// folder's images for the file managers, and drops through the real window, in this process
// or in another one.
namespace fault_test {

using namespace testing_support;
typedef std::map<std::string, Bytes> Xattrs;

const BPoint kSetBox(140, 35);
const BPoint kClearBox(230, 35);

// Every extended attribute of the node itself, by name (a link is followed only when asked,
// as for /proc/self/fd/N); empty where the file system keeps none.
Xattrs AllXattrs(const std::string& path, bool followLink = false);

// The two stored icons a Set icon of an item whose mini icon is itemIcon makes over the
// folder's icons (as 8-bit pixels).
void ComposedIcons(const Bytes& itemIcon, const Bytes& folderLarge, const Bytes& folderMini,
	Bytes* large, Bytes* mini);

// The names of the folder's icon images for the file managers (comma-separated), and the name
// the image of a stored large icon gets; empty when there is none.
std::string FolderImage(const std::string& folder);
std::string ImageForStoredIcon(const Bytes& storedLarge);

// Runs the drop driver ("set|clear COUNT PATH") in another process to its end: what it
// printed on either stream, and its exit status.
std::string RunDriver(const std::string& order, int* status);

// Vellumark's main window on the headless host, with its drops.
class FaultWindow {
public:
	FaultWindow();

	// Drags the message over the box (the drag enters), runs between(), drops it there and
	// waits until the window has handled it; what the program printed meanwhile.
	std::string DragAndDrop(BPoint box, const BMessage& drag,
		const std::function<void()>& between = std::function<void()>());
	std::string DropPath(BPoint box, const std::string& path,
		const std::function<void()>& between = std::function<void()>());

private:
	app_test::AppRunner fApp;
	platform::host_window_id fWindow;
};

}  // namespace fault_test

#endif
