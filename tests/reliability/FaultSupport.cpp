#include "FaultSupport.h"

#include <GraphicsDefs.h>

#include <stdio.h>
#include <sys/wait.h>
#include <sys/xattr.h>

#include <filesystem>

#include "IconCompositing.h"
#include "desktop/ImageNames.h"

namespace fault_test {

Xattrs AllXattrs(const std::string& path, bool followLink)
{
	auto list = followLink ? listxattr : llistxattr;
	auto get = followLink ? getxattr : lgetxattr;
	Xattrs all;
	std::vector<char> names(65536);
	ssize_t size = list(path.c_str(), names.data(), names.size());
	for (ssize_t start = 0; start < size;) {
		std::string name(names.data() + start);
		start += name.size() + 1;
		Bytes value(65536);
		ssize_t length = get(path.c_str(), name.c_str(), value.data(), value.size());
		if (length >= 0) {
			value.resize(length);
			all[name] = value;
		}
	}
	return all;
}

void ComposedIcons(const Bytes& itemIcon, const Bytes& folderLarge, const Bytes& folderMini,
	Bytes* large, Bytes* mini)
{
	*large = folderLarge;
	*mini = folderMini;
	ComposeLargeIcon(itemIcon.data(), large->data(), B_TRANSPARENT_8_BIT);
	ComposeMiniIcon(itemIcon.data(), mini->data(), B_TRANSPARENT_8_BIT);
	*large = Stored("ICON", *large);
	*mini = Stored("MICN", *mini);
}

std::string FolderImage(const std::string& folder)
{
	std::string names;
	for (const auto& entry : std::filesystem::directory_iterator(folder)) {
		std::string name = entry.path().filename();
		if (platform::IsFolderIconImageName(name))
			names += (names.empty() ? "" : ",") + name;
	}
	return names;
}

std::string ImageForStoredIcon(const Bytes& storedLarge)
{
	if (storedLarge.size() != 4 + 32 * 32)
		return std::string();
	return platform::FolderIconImageName(storedLarge.data() + 4);
}

std::string RunDriver(const std::string& order, int* status)
{
	FILE* pipe = popen((std::string(FAULT_DROP_DRIVER " ") + order + " 2>&1").c_str(), "r");
	std::string printed;
	char buffer[4096];
	for (size_t got; pipe != NULL && (got = fread(buffer, 1, sizeof(buffer), pipe)) > 0;)
		printed.append(buffer, got);
	int wait = pipe != NULL ? pclose(pipe) : -1;
	*status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
	return printed;
}

FaultWindow::FaultWindow() :
	fWindow(fApp.MainWindow())
{
}

std::string FaultWindow::DragAndDrop(
	BPoint box, const BMessage& drag, const std::function<void()>& between)
{
	platform::HeadlessHost& host = fApp.Host();
	EXPECT_EQ(host.InjectDragMotion(fWindow, box, drag), B_OK);
	EXPECT_TRUE(host.WaitForIdle(fWindow));
	if (between)
		between();
	StdoutCapture capture;
	EXPECT_EQ(host.InjectDrop(fWindow, box, drag), B_OK);
	EXPECT_TRUE(host.WaitForIdle(fWindow));
	return capture.Finish();
}

std::string FaultWindow::DropPath(
	BPoint box, const std::string& path, const std::function<void()>& between)
{
	BMessage drag = platform::HeadlessHost::DragMessageFromPaths({path});
	EXPECT_TRUE(drag.HasRef("refs")) << path << " makes no ref";
	return DragAndDrop(box, drag, between);
}

}  // namespace fault_test
