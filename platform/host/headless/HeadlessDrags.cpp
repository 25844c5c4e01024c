// The drags a test hands to the headless host.
#include "host/headless/HeadlessHost.h"

#include <AppDefs.h>
#include <Entry.h>
#include <Looper.h>
#include <TypeConstants.h>

#include <string.h>
#include <sys/stat.h>

namespace platform {

BMessage HeadlessHost::DragMessageFromUriList(const std::string& uriList)
{
	BMessage message(kMsgHostDragData);
	message.AddData("uri-list", B_RAW_TYPE, uriList.data(), (ssize_t)uriList.size(), false);
	return message;
}

BMessage HeadlessHost::TextDragMessage(const char* text)
{
	BMessage message(kMsgHostDragData);
	const char* data = text != NULL ? text : "";
	size_t length = DragTextPreviewLength(data, strnlen(data, kMaxDragTextPreview + 1));
	message.AddData("text", B_RAW_TYPE, data, (ssize_t)length, false);
	return message;
}

BMessage HeadlessHost::DragMessageFromPaths(const std::vector<std::string>& paths)
{
	BMessage message(B_SIMPLE_DATA);
	for (const std::string& path : paths) {
		struct stat st;
		entry_ref ref;
		if (lstat(path.c_str(), &st) == 0 && get_ref_for_path(path.c_str(), &ref) == B_OK)
			message.AddRef("refs", &ref);
	}
	return message;
}

// Under the host's lock: the drag's data, unless this drag has handed it on already.
status_t HeadlessHost::PostDragData(Window* window, const BMessage& drag)
{
	if (window->dragging)
		return B_OK;
	BMessage data(kMsgHostDragData);
	if (drag.what == kMsgHostDragData)
		data = drag;
	else
		data.AddMessage("drag", &drag);
	status_t status = window->target->PostMessage(&data);
	window->dragging = status == B_OK;
	return status;
}

}  // namespace platform
