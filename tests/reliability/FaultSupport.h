// What the fault and load tests share: every attribute of a node, the icons a Set icon
// composes, the folder's images for the file managers, and drops through the real window, in
// this process or in another one.
#ifndef FAULT_SUPPORT_H
#define FAULT_SUPPORT_H

#include <GraphicsDefs.h>

#include <stdlib.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <thread>

#include "AppRunner.h"
#include "IconCompositing.h"
#include "TestSupport.h"
#include "desktop/ImageNames.h"

// Sanitizers slow every run down and keep freed memory in quarantine: the long runs are bounded
// by time there, and resident size says nothing.
extern "C" __attribute__((weak)) void __asan_init();
extern "C" __attribute__((weak)) void __tsan_init();

namespace fault_test {

using namespace testing_support;
typedef std::map<std::string, Bytes> Xattrs;

const BPoint kSetBox(140, 35), kClearBox(230, 35);

// Every extended attribute of the node itself (not of what a link names), by name; empty where
// the file system keeps none.
inline Xattrs AllXattrs(const std::string& path)
{
	std::vector<char> names(65536);
	ssize_t size = llistxattr(path.c_str(), names.data(), names.size());
	Xattrs all;
	for (ssize_t start = 0; start < size; start += strlen(names.data() + start) + 1)
		GetXattr(path, names.data() + start, &all[names.data() + start]);
	return all;
}

// The two icons a Set icon stores over the folder's (both stored values) for an item that
// shows itemIcon (16 by 16 pixels).
inline Xattrs Composed(const Bytes& itemIcon, Bytes large, Bytes mini)
{
	ComposeLargeIcon(itemIcon.data(), large.data() + 4, B_TRANSPARENT_8_BIT);
	ComposeMiniIcon(itemIcon.data(), mini.data() + 4, B_TRANSPARENT_8_BIT);
	return {{kLargeIconAttr, large}, {kMiniIconAttr, mini}};
}

// The names of the folder's icon images for the file managers, in name order (each followed by
// a space), and the name the image of a stored large icon gets; empty when there is none.
inline std::string FolderImage(const std::string& folder)
{
	std::string names;
	for (const std::string& name : FolderNames(folder))
		names += platform::IsFolderIconImageName(name) ? name + " " : "";
	return names;
}

inline std::string ImageForStoredIcon(const Bytes& large)
{
	return large.size() == 4 + 1024 ? platform::FolderIconImageName(large.data() + 4) + " " : "";
}

// Runs the drop driver ("set|clear COUNT PATH") in another process to its end, with what it
// prints on either stream sent to the file out; its exit status. A prefix goes before the
// driver on the shell's command line (variables, a command that runs it).
inline int RunDriver(
	const std::string& order, const std::string& out, const std::string& prefix = std::string())
{
	return RunCommand(prefix + FAULT_DROP_DRIVER " " + order, out);
}

inline bool Sanitized()
{
	return __asan_init != NULL || __tsan_init != NULL;
}

inline BMessage DragOf(const std::string& path)
{
	BMessage drag = DragFromPaths({path});
	EXPECT_TRUE(drag.HasRef("refs")) << path << " makes no ref";
	return drag;
}

// Drags over a box of Vellumark's main window (the drag enters), runs between(), drops there
// and waits until the window has handled it; what the program printed meanwhile.
inline std::string Drop(app_test::AppRunner& app, BPoint box, const BMessage& drag,
	const std::function<void()>& between = std::function<void()>())
{
	TestWindow& window = app.MainWindow();
	EXPECT_TRUE(window.DragMotion(box, drag) == B_OK && window.WaitForIdle());
	if (between)
		between();
	StdoutCapture capture;
	EXPECT_TRUE(window.Drop(box, drag) == B_OK && window.WaitForIdle());
	return capture.Finish();
}

}  // namespace fault_test

#endif
