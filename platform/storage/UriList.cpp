#include "storage/UriList.h"

#include <OS.h>
#include <StorageDefs.h>

#include <string.h>
#include <strings.h>
#include <sys/stat.h>

#include <string>
#include <string_view>

namespace platform {

namespace {

int HexValue(char c)
{
	if (c >= '0' && c <= '9')
		return c - '0';
	if (c >= 'a' && c <= 'f')
		return c - 'a' + 10;
	if (c >= 'A' && c <= 'F')
		return c - 'A' + 10;
	return -1;
}

bool StartsWithNoCase(std::string_view text, const char* prefix)
{
	size_t length = strlen(prefix);
	return text.size() >= length && strncasecmp(text.data(), prefix, length) == 0;
}

std::string_view Trimmed(std::string_view line)
{
	while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
		line.remove_prefix(1);
	while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
		line.remove_suffix(1);
	return line;
}

// Percent-decodes; false for a bad escape or a NUL, encoded or not.
bool Decode(std::string_view encoded, std::string* decoded)
{
	decoded->clear();
	for (size_t i = 0; i < encoded.size(); i++) {
		char c = encoded[i];
		if (c == '%') {
			if (i + 2 >= encoded.size())
				return false;
			int high = HexValue(encoded[i + 1]);
			int low = HexValue(encoded[i + 2]);
			if (high < 0 || low < 0)
				return false;
			c = char(high * 16 + low);
			i += 2;
		}
		if (c == '\0')
			return false;
		decoded->push_back(c);
	}
	return true;
}

// The encoded absolute path of a local file: URI, or an empty view.
std::string_view LocalPath(std::string_view uri)
{
	if (!StartsWithNoCase(uri, "file:"))
		return std::string_view();
	uri.remove_prefix(5);
	if (uri.size() >= 2 && uri[0] == '/' && uri[1] == '/') {
		uri.remove_prefix(2);
		size_t slash = uri.find('/');
		if (slash == std::string_view::npos)
			return std::string_view();
		std::string_view host = uri.substr(0, slash);
		if (!host.empty() && !(host.size() == 9 && StartsWithNoCase(host, "localhost")))
			return std::string_view();
		uri.remove_prefix(slash);
	}
	if (uri.empty() || uri[0] != '/')
		return std::string_view();
	return uri;
}

bool RefForUri(std::string_view uri, entry_ref* ref)
{
	std::string_view encoded = LocalPath(uri);
	std::string path;
	if (encoded.empty() || !Decode(encoded, &path))
		return false;
	if (path.size() >= B_PATH_NAME_LENGTH)
		return false;
	struct stat st;
	if (lstat(path.c_str(), &st) != 0)
		return false;
	return get_ref_for_path(path.c_str(), ref) == B_OK;
}

}  // namespace

std::vector<entry_ref> RefsFromUriList(const char* data, size_t length)
{
	std::vector<entry_ref> refs;
	if (data == NULL)
		return refs;
	bool cut = length > kMaxUriListBytes;
	std::string_view text(data, cut ? kMaxUriListBytes : length);
	size_t uris = 0;
	size_t start = 0;
	bigtime_t deadline = system_time() + kMaxUriListTime;
	while (start < text.size() && uris < kMaxUriListEntries && system_time() < deadline) {
		size_t end = text.find_first_of("\r\n", start);
		if (end == std::string_view::npos) {
			if (cut)
				break;  // the list was cut inside this line
			end = text.size();
		}
		std::string_view line = Trimmed(text.substr(start, end - start));
		start = end + 1;
		if (line.empty() || line[0] == '#')
			continue;
		uris++;
		if (line.find('\0') != std::string_view::npos)
			continue;
		entry_ref ref;
		if (RefForUri(line, &ref))
			refs.push_back(ref);
	}
	return refs;
}

}  // namespace platform
