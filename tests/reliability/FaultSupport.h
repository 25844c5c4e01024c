#ifndef FAULT_SUPPORT_H
#define FAULT_SUPPORT_H

#include <Message.h>
#include <Point.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "AppRunner.h"
#include "TestSupport.h"

// What the fault tests share: counts taken from the environment, every attribute of a node,
// icons written as raw attributes, a full attribute space, and drops through the real window.
namespace fault_test {

using testing_support::Bytes;
using testing_support::Stored;
using testing_support::TrackerIcon;
typedef std::map<std::string, Bytes> Xattrs;

const char* const kLargeAttr = testing_support::kLargeIconAttr;
const char* const kMiniAttr = testing_support::kMiniIconAttr;
extern const BPoint kSetBox;
extern const BPoint kClearBox;

// The variable's value when it holds a positive number, else fallback.
int CountFromEnvironment(const char* variable, int fallback);

// Every extended attribute of the node itself, by name (a link is followed only when asked,
// as for /proc/self/fd/N); empty where the file system keeps none.
Xattrs AllXattrs(const std::string& path, bool followLink = false);

// Own icons of one opaque colour, as another program may have written them.
Bytes PlainLargeIcon(uint8_t colour);
Bytes PlainMiniIcon(uint8_t colour);

// Writes user.fill.N values, each as large as still fits, halving down to one byte, until
// the file system refuses even that; the number of values written.
int FillAttributeSpace(const std::string& path);

// The two icons a Set icon of item (whose mini icon is itemIcon) makes over folder icons.
void ComposedIcons(const Bytes& itemIcon, const Bytes& folderLarge, const Bytes& folderMini,
	Bytes* large, Bytes* mini);

using testing_support::ReadFile;
// The names of the folder's icon images for the file managers (comma-separated); empty
// when it has none.
std::string FolderImage(const std::string& folder);
// The name of the image the folder gets for a stored large icon value ("ICON" and 1024
// pixels).
std::string ImageForStoredIcon(const Bytes& storedLarge);

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
