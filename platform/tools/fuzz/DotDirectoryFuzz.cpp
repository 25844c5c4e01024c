// Feeds arbitrary bytes as a folder's .directory, the file Dolphin and other programs write,
// to its editor: it reads back unchanged, setting the icon twice is setting it once, and
// taking the icon back after setting it leaves the other program's text as it was.

#include <stdlib.h>

#include <string>

#include "desktop/DotDirectory.h"
#include "desktop/ImageNames.h"

using platform::DotDirectory;

namespace {

std::string SetIcon(const std::string& text)
{
	DotDirectory entry(text);
	entry.SetIcon("./.vellumark-icon.png", false, platform::IsFolderIconDirectoryValue);
	return entry.Text();
}

std::string WithoutLastEnd(std::string text)
{
	text.erase(text.find_last_not_of("\r\n") + 1);
	return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	std::string text(reinterpret_cast<const char*>(data), size);
	if (DotDirectory::IsEditable(text) != (text.find('\0') == std::string::npos)
		|| DotDirectory(text).Text() != text)
		abort();

	// Taking back an icon from any file: what it calls empty is empty.
	DotDirectory withdrawn(text);
	if (withdrawn.WithdrawIcon(platform::IsFolderIconDirectoryValue)
		&& withdrawn.Text().find_first_not_of(" \t\r\n") != std::string::npos)
		abort();

	std::string set = SetIcon(text);
	if (SetIcon(set) != set)
		abort();

	// A file without the platform's keys and icons (whatever image they name) comes back as
	// it was; a last line without its end keeps the one the new group needed.
	if (text.find("X-Vellumark") != std::string::npos
		|| text.find("./.vellumark-icon") != std::string::npos)
		return 0;
	DotDirectory back(set);
	bool gone = back.WithdrawIcon(platform::IsFolderIconDirectoryValue);
	std::string restored = back.Text();
	bool unended = !text.empty() && text.back() != '\n';
	if (gone
		|| (restored != text && !(unended && WithoutLastEnd(restored) == WithoutLastEnd(text))))
		abort();
	return 0;
}
