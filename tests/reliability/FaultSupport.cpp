#include "FaultSupport.h"

#include <Bitmap.h>
#include <Node.h>
#include <NodeInfo.h>

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <sys/xattr.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "IconCompositing.h"
#include "TestSupport.h"
#include "desktop/ImageNames.h"

namespace fault_test {

const BPoint kSetBox(140, 35);
const BPoint kClearBox(230, 35);

int CountFromEnvironment(const char* variable, int fallback)
{
	const char* value = getenv(variable);
	if (value == NULL)
		return fallback;
	char* end = NULL;
	long count = strtol(value, &end, 10);
	return end != value && *end == '\0' && count > 0 && count < 10000000 ? int(count) : fallback;
}

Xattrs AllXattrs(const std::string& path, bool followLink)
{
	auto list = followLink ? listxattr : llistxattr;
	auto get = followLink ? getxattr : lgetxattr;
	Xattrs all;
	ssize_t size = list(path.c_str(), NULL, 0);
	if (size <= 0)
		return all;
	std::vector<char> names(size);
	size = list(path.c_str(), names.data(), names.size());
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

Bytes PlainLargeIcon(uint8_t colour)
{
	return Stored("ICON", Bytes(32 * 32, colour));
}

Bytes PlainMiniIcon(uint8_t colour)
{
	return Stored("MICN", Bytes(16 * 16, colour));
}

int FillAttributeSpace(const std::string& path)
{
	int count = 0;
	for (size_t size = 4096; size >= 1;) {
		std::string name = "user.fill." + std::to_string(count);
		Bytes value(size, uint8_t('a' + count % 26));
		if (lsetxattr(path.c_str(), name.c_str(), value.data(), size, XATTR_CREATE) == 0)
			count++;
		else if (errno == ENOSPC || errno == E2BIG)
			size /= 2;
		else
			break;
	}
	return count;
}

void ComposedIcons(const Bytes& itemIcon, const Bytes& folderLarge, const Bytes& folderMini,
	Bytes* large, Bytes* mini)
{
	*large = folderLarge;
	*mini = folderMini;
	ComposeLargeIcon(itemIcon.data(), large->data(), B_TRANSPARENT_8_BIT);
	ComposeMiniIcon(itemIcon.data(), mini->data(), B_TRANSPARENT_8_BIT);
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
	testing_support::StdoutCapture capture;
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
