#include "desktop/DotDirectory.h"

namespace platform {

namespace {

const char kGroup[] = "Desktop Entry";
const char kIconKey[] = "Icon";
// The Icon line that another program had written, whole, to be put back as it was.
const char kReplacedKey[] = "X-Vellumark-Replaced-Icon";
// Which the platform made, the group or the whole file: it goes again with the icon.
const char kCreatedKey[] = "X-Vellumark-Created";
const char kMadeFile[] = "file";
const char kMadeGroup[] = "group";
const char kUtf8Mark[] = "\xEF\xBB\xBF";

std::string Trim(const std::string& text)
{
	size_t start = text.find_first_not_of(" \t\r");
	if (start == std::string::npos)
		return std::string();
	size_t end = text.find_last_not_of(" \t\r");
	return text.substr(start, end - start + 1);
}

std::string WithoutMark(const std::string& text)
{
	return text.compare(0, 3, kUtf8Mark) == 0 ? text.substr(3) : text;
}

// A line whose text ends in a carriage return (a last line can) keeps it only before
// "\r\n": before "\n" the two would read back as one line end.
std::string EndAfter(const std::string& content, const std::string& end)
{
	return end == "\n" && !content.empty() && content.back() == '\r' ? "\r\n" : end;
}

bool IsHeader(const std::string& content)
{
	std::string trimmed = Trim(WithoutMark(content));
	return trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']';
}

bool IsHeaderOf(const std::string& content, const char* group)
{
	return IsHeader(content) && Trim(WithoutMark(content)) == std::string("[") + group + "]";
}

// The key of a "key = value" line, empty for a comment, a blank or a header.
std::string KeyOf(const std::string& content)
{
	std::string trimmed = Trim(content);
	if (trimmed.empty() || trimmed[0] == '#' || trimmed[0] == '[')
		return std::string();
	size_t equals = trimmed.find('=');
	return equals == std::string::npos ? std::string() : Trim(trimmed.substr(0, equals));
}

// The value of a line that KeyOf found a key in.
std::string ValueOf(const std::string& content)
{
	return Trim(content.substr(content.find('=') + 1));
}

}  // namespace

DotDirectory::DotDirectory(const std::string& text)
{
	size_t start = 0;
	while (start < text.size()) {
		size_t newline = text.find('\n', start);
		bool ended = newline != std::string::npos;
		size_t stop = ended ? newline : text.size();
		bool crlf = ended && stop > start && text[stop - 1] == '\r';
		Line line;
		line.content = text.substr(start, stop - start - (crlf ? 1 : 0));
		line.end = crlf ? "\r\n" : ended ? "\n" : "";
		fLines.push_back(line);
		start = ended ? newline + 1 : text.size();
	}
}

bool DotDirectory::IsEditable(const std::string& text)
{
	return text.find('\0') == std::string::npos;
}

std::string DotDirectory::Text() const
{
	std::string text;
	for (const Line& line : fLines)
		text += line.content + line.end;
	return text;
}

std::vector<std::string> DotDirectory::IconValues() const
{
	std::vector<std::string> values;
	bool inGroup = false;
	for (const Line& line : fLines) {
		if (IsHeader(line.content))
			inGroup = IsHeaderOf(line.content, kGroup);
		else if (inGroup && KeyOf(line.content) == kIconKey)
			values.push_back(ValueOf(line.content));
	}
	return values;
}

void DotDirectory::SetIcon(const std::string& value, bool created, OwnValue own)
{
	ptrdiff_t found = FindGroup();
	size_t header = found;
	if (found < 0) {
		// A group of ours (in a file of ours, maybe), to go again with our icon.
		header = AddGroup();
		Insert(header + 1, std::string(kCreatedKey) + "=" + (created ? kMadeFile : kMadeGroup));
	}
	std::string iconLine = std::string(kIconKey) + "=" + value;
	ptrdiff_t icon = FindKey(header, kIconKey);
	if (icon < 0) {
		Insert(header + 1, iconLine);
		return;
	}
	std::string current = ValueOf(fLines[icon].content);
	if (current == value)
		return;
	if (own(current)) {
		Replace(icon, iconLine);
		return;
	}
	std::string replaced = std::string(kReplacedKey) + "=" + fLines[icon].content;
	Replace(icon, iconLine);
	ptrdiff_t kept = FindKey(header, kReplacedKey);
	if (kept >= 0)
		Replace(kept, replaced);
	else
		Insert(icon + 1, replaced);
}

bool DotDirectory::WithdrawIcon(OwnValue own)
{
	ptrdiff_t found = FindGroup();
	if (found < 0)
		return false;
	size_t header = found;
	ptrdiff_t icon = FindKey(header, kIconKey);
	ptrdiff_t kept = FindKey(header, kReplacedKey);
	if (icon >= 0 && own(ValueOf(fLines[icon].content))) {
		if (kept >= 0) {
			const std::string content = fLines[kept].content;
			Replace(icon, content.substr(content.find('=') + 1));
		} else {
			Erase(icon);
		}
	}
	// Kept aside or not, a replaced line is stale once our icon is gone.
	Erase(kept);
	ptrdiff_t marker = FindKey(header, kCreatedKey);
	if (marker < 0)
		return false;
	std::string made = ValueOf(fLines[marker].content);
	Erase(marker);
	if (made != kMadeFile && made != kMadeGroup)
		return false;
	for (size_t i = header + 1, end = GroupEnd(header); i < end; i++) {
		if (!Trim(fLines[i].content).empty())
			return false;
	}
	Erase(header);
	if (made != kMadeFile)
		return false;
	for (const Line& line : fLines) {
		if (!Trim(line.content).empty())
			return false;
	}
	return true;
}

ptrdiff_t DotDirectory::FindGroup() const
{
	for (size_t i = 0; i < fLines.size(); i++) {
		if (IsHeaderOf(fLines[i].content, kGroup))
			return i;
	}
	return -1;
}

size_t DotDirectory::GroupEnd(size_t header) const
{
	for (size_t i = header + 1; i < fLines.size(); i++) {
		if (IsHeader(fLines[i].content))
			return i;
	}
	return fLines.size();
}

ptrdiff_t DotDirectory::FindKey(size_t header, const char* key) const
{
	size_t end = GroupEnd(header);
	for (size_t i = header + 1; i < end; i++) {
		if (KeyOf(fLines[i].content) == key)
			return i;
	}
	return -1;
}

// New lines end the way the file's lines already do.
std::string DotDirectory::LineEnd() const
{
	for (const Line& line : fLines) {
		if (!line.end.empty())
			return line.end;
	}
	return "\n";
}

size_t DotDirectory::AddGroup()
{
	Insert(fLines.size(), std::string("[") + kGroup + "]");
	return fLines.size() - 1;
}

// A line put after the file's last one first gives that one the end it lacked, or the two
// would run together.
void DotDirectory::Insert(size_t index, const std::string& content)
{
	std::string end = LineEnd();
	if (index > 0 && fLines[index - 1].end.empty())
		fLines[index - 1].end = EndAfter(fLines[index - 1].content, end);
	fLines.insert(fLines.begin() + index, Line{content, EndAfter(content, end)});
}

void DotDirectory::Replace(size_t index, const std::string& content)
{
	fLines[index].content = content;
	fLines[index].end = EndAfter(content, fLines[index].end);
}

// index: a line of the file, or -1 for none.
void DotDirectory::Erase(ptrdiff_t index)
{
	if (index >= 0)
		fLines.erase(fLines.begin() + index);
}

}  // namespace platform
