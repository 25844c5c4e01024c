// The drags a test hands to the headless host.
#include "host/headless/HeadlessHost.h"

#include <AppDefs.h>
#include <Entry.h>
#include <Looper.h>
#include <TypeConstants.h>

#include "interface/WindowMessages.h"

#include <string.h>
#include <sys/stat.h>

namespace platform {

BMessage HeadlessHost::DragMessageFromUriList(const std::string& uriList)
{
	BMessage message(kDragData);
	message.AddData("uri-list", B_RAW_TYPE, uriList.data(), (ssize_t)uriList.size(), false);
	return message;
}

BMessage HeadlessHost::TextDragMessage(const char* text)
{
	BMessage message(kDragData);
	const char* data = text != NULL ? text : "";
	size_t length = strnlen(data, kMaxDragTextPreview + 1);
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
	status_t status = B_OK;
	const void* bytes = NULL;
	ssize_t size = 0;
	if (drag.what != kDragData) {
		BMessage data(kMsgWindowDragData);
		data.AddMessage("drag", &drag);
		status = window->target->PostMessage(&data);
	} else if (drag.FindData("uri-list", B_RAW_TYPE, &bytes, &size) == B_OK)
		window->input->DragData(kHostDragUriList, (const char*)bytes, size);
	else if (drag.FindData("text", B_RAW_TYPE, &bytes, &size) == B_OK)
		window->input->DragData(kHostDragText, (const char*)bytes, size);
	else
		window->input->DragData(kHostDragNothingUsable, NULL, 0);
	window->dragging = status == B_OK;
	return status;
}

}  // namespace platform
