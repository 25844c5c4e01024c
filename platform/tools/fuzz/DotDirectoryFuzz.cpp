// Feeds arbitrary bytes as a folder's .directory, the file Dolphin and other programs write,
// to its editor: it reads back unchanged, setting the icon twice is setting it once, and
// taking the icon back after setting it leaves the other program's text as it was.

#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "desktop/DotDirectory.h"
#include "desktop/ImageNames.h"

using platform::DotDirectory;

namespace {

const char kIcon[] = "./.vellumark-icon.png";

void Fail(const char* what)
{
	fprintf(stderr, "fuzz_dotdirectory: %s\n", what);
	abort();
}

bool IsBlank(const std::string& text)
{
	return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

std::string WithoutLastEnd(std::string text)
{
	while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
		text.pop_back();
	return text;
}

std::string SetIcon(const std::string& text)
{
	DotDirectory entry(text);
	entry.SetIcon(kIcon, false, platform::IsFolderIconDirectoryValue);
	return entry.Text();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	std::string text(reinterpret_cast<const char*>(data), size);
	if (DotDirectory::IsEditable(text) != (text.find('\0') == std::string::npos))
		Fail("NUL bytes not told");
	if (DotDirectory(text).Text() != text)
		Fail("the text does not read back unchanged");

	// Taking back an icon from any file: what it calls empty is empty.
	DotDirectory withdrawn(text);
	if (withdrawn.WithdrawIcon(platform::IsFolderIconDirectoryValue) && !IsBlank(withdrawn.Text()))
		Fail("a file with text left called empty");

	std::string set = SetIcon(text);
	if (SetIcon(set) != set)
		Fail("setting the same icon again changed the file");

	// A file without the platform's keys and icons (whatever image they name) comes back as
	// it was; a last line without its end keeps the one the new group needed.
	if (text.find("X-Vellumark") != std::string::npos
		|| text.find("./.vellumark-icon") != std::string::npos)
		return 0;
	DotDirectory back(set);
	if (back.WithdrawIcon(platform::IsFolderIconDirectoryValue))
		Fail("a file of another program to be removed");
	std::string restored = back.Text();
	if (restored == text)
		return 0;
	bool ended = text.empty() || text.back() == '\n';
	if (ended || WithoutLastEnd(restored) != WithoutLastEnd(text))
		Fail("taking the icon back did not restore the file");
	return 0;
}
