// The dragged messages a test hands to the headless host, made the way a desktop drag's
// data becomes one.
#include "host/headless/HeadlessHost.h"

#include <AppDefs.h>
#include <Entry.h>
#include <TypeConstants.h>

#include <string.h>

#include "host/HostMessages.h"
#include "storage/UriList.h"

namespace platform {

namespace {

const char kHex[] = "0123456789ABCDEF";

// RFC 3986 unreserved characters and the slash stay; every other byte is escaped.
std::string FileUri(const std::string& path)
{
	std::string uri = "file://";
	for (unsigned char c : path) {
		if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
			|| strchr("-._~/", c) != NULL) {
			uri += (char)c;
		} else {
			uri += '%';
			uri += kHex[c >> 4];
			uri += kHex[c & 0xf];
		}
	}
	return uri;
}

}  // namespace

BMessage HeadlessHost::DragMessageFromUriList(const std::string& uriList)
{
	BMessage message(B_SIMPLE_DATA);
	for (const entry_ref& ref : RefsFromUriList(uriList.data(), uriList.size()))
		message.AddRef("refs", &ref);
	return message;
}

BMessage HeadlessHost::DragMessageFromPaths(const std::vector<std::string>& paths)
{
	std::string list;
	for (const std::string& path : paths)
		list += FileUri(path) + "\r\n";
	return DragMessageFromUriList(list);
}

BMessage HeadlessHost::TextDragMessage(const char* text)
{
	BMessage message(B_SIMPLE_DATA);
	const char* data = text != NULL ? text : "";
	size_t length = strnlen(data, kMaxDragTextPreview + 1);
	if (length > kMaxDragTextPreview) {
		// Cut before the character that would not fit whole.
		length = kMaxDragTextPreview;
		while (length > 0 && (uint8(data[length]) & 0xC0) == 0x80)
			length--;
	}
	message.AddData("text/plain", B_MIME_TYPE, data, (ssize_t)length, false);
	return message;
}

}  // namespace platform
