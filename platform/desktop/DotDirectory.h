#ifndef PLATFORM_DOT_DIRECTORY_H
#define PLATFORM_DOT_DIRECTORY_H

#include <stddef.h>

#include <string>
#include <vector>

namespace platform {

// The text of a folder's .directory, the desktop entry Dolphin reads a folder's icon from,
// edited line by line: only the Icon key of [Desktop Entry] and the platform's own two keys
// change, every other line keeps its bytes (encoding, comments, line ends, other groups).
class DotDirectory {
public:
	explicit DotDirectory(const std::string& text);

	// Text that is not a desktop entry to edit: it holds NUL bytes (UTF-16, binary data).
	static bool IsEditable(const std::string& text);

	// Which Icon values are the platform's own (an image of ours, whatever its name); never
	// NULL.
	typedef bool (*OwnValue)(const std::string& value);

	// Makes value the folder's icon. Another program's Icon line is kept aside in the
	// file, to come back on withdrawal, while an own one is simply replaced; a group the
	// platform adds is marked as its own, and created says that the file itself is new.
	void SetIcon(const std::string& value, bool created, OwnValue own);

	// Takes back an own Icon (bringing back the line kept aside), the platform's own keys
	// and a group it added that is empty now; another Icon stays. True when the file was
	// made by the platform and nothing else is left: then it goes.
	bool WithdrawIcon(OwnValue own);

	// Every Icon value of every [Desktop Entry] group: what a reader may take for the icon.
	std::vector<std::string> IconValues() const;

	std::string Text() const;

private:
	struct Line {
		std::string content;  // without its line end
		std::string end;  // "\n", "\r\n" or "" for a last line without one
	};

	ptrdiff_t FindGroup() const;
	size_t GroupEnd(size_t header) const;
	ptrdiff_t FindKey(size_t header, const char* key) const;
	std::string LineEnd() const;
	size_t AddGroup();
	void Insert(size_t index, const std::string& content);
	void Replace(size_t index, const std::string& content);
	void Erase(ptrdiff_t index);

	std::vector<Line> fLines;
};

}  // namespace platform

#endif
