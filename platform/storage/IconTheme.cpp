#include "storage/IconTheme.h"

#include <fcntl.h>
#include <glib.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace platform {

namespace {

const char kFallbackTheme[] = "hicolor";
const char* const kExtensions[] = {".png", ".svg", ".xpm"};
// An index.theme is another program's file: what is read of it is bounded, and every size
// in it is kept in a range where the arithmetic on sizes cannot overflow. Real themes stay
// far below these (a few dozen kilobytes, a few hundred folders along the whole chain).
const int kMaxInheritDepth = 16;
const size_t kMaxInherits = 16;  // parents named by one theme
const size_t kMaxThemes = 32;  // in the whole chain
const size_t kMaxSubfolders = 2048;  // in the whole chain
const size_t kMaxIndexSize = 1 << 20;
const int kMaxIconSize = 4096;

bool IsFolder(const std::string& path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// An icon name is one file name without its extension: nothing that could climb out of
// the theme's folders.
bool IsPlainName(const std::string& name)
{
	return !name.empty() && name[0] != '.' && name.find('/') == std::string::npos
		&& name.find('\0') == std::string::npos;
}

// The whole file, if it is a regular file of at most kMaxIndexSize bytes.
bool ReadSmallFile(const std::string& path, std::string* content)
{
	int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
	if (fd < 0)
		return false;
	struct stat st;
	bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && size_t(st.st_size) <= kMaxIndexSize;
	content->clear();
	char buffer[16384];
	while (ok) {
		ssize_t got = read(fd, buffer, sizeof(buffer));
		if (got <= 0) {
			ok = got == 0;
			break;
		}
		content->append(buffer, got);
		// It may have grown since it was measured.
		ok = content->size() <= kMaxIndexSize;
	}
	close(fd);
	return ok;
}

int ReadInteger(GKeyFile* file, const char* group, const char* key, int fallback)
{
	GError* error = NULL;
	int value = g_key_file_get_integer(file, group, key, &error);
	if (error != NULL) {
		g_error_free(error);
		return fallback;
	}
	return value;
}

int ReadSize(GKeyFile* file, const char* group, const char* key, int fallback)
{
	return std::clamp(ReadInteger(file, group, key, fallback), 0, kMaxIconSize);
}

// At most limit non-empty items of the list.
std::vector<std::string> ReadList(GKeyFile* file, const char* group, const char* key, size_t limit)
{
	std::vector<std::string> list;
	gsize count = 0;
	gchar** values = g_key_file_get_string_list(file, group, key, &count, NULL);
	if (values == NULL)
		return list;
	for (gsize i = 0; i < count && list.size() < limit; i++) {
		if (values[i][0] != '\0')
			list.push_back(values[i]);
	}
	g_strfreev(values);
	return list;
}

}  // namespace

IconTheme::IconTheme(const std::vector<std::string>& baseFolders, const std::string& name) :
	fBaseFolders(baseFolders)
{
	AddTheme(name, 0);
	AddTheme(kFallbackTheme, 0);
}

void IconTheme::AddTheme(const std::string& name, int depth)
{
	if (depth > kMaxInheritDepth || fChain.size() >= kMaxThemes || !IsPlainName(name))
		return;
	for (const Theme& theme : fChain) {
		if (theme.name == name)
			return;
	}
	Theme theme;
	theme.name = name;
	std::vector<std::string> parents;
	size_t subfolders = 0;
	for (const Theme& known : fChain)
		subfolders += known.subfolders.size();
	bool indexRead = false;
	for (const std::string& base : fBaseFolders) {
		std::string root = base + "/" + name;
		if (!IsFolder(root))
			continue;
		theme.roots.push_back(root);
		// The first index.theme found describes the theme; later roots only add files.
		if (!indexRead) {
			indexRead =
				ReadIndex(root + "/index.theme", kMaxSubfolders - subfolders, &theme, &parents);
		}
	}
	if (!indexRead)
		return;
	fChain.push_back(theme);
	for (const std::string& parent : parents)
		AddTheme(parent, depth + 1);
}

bool IconTheme::ReadIndex(const std::string& indexPath, size_t maxSubfolders, Theme* theme,
	std::vector<std::string>* parents) const
{
	std::string content;
	if (!ReadSmallFile(indexPath, &content))
		return false;
	GKeyFile* file = g_key_file_new();
	g_key_file_set_list_separator(file, ',');
	if (!g_key_file_load_from_data(file, content.data(), content.size(), G_KEY_FILE_NONE, NULL)
		|| !g_key_file_has_group(file, "Icon Theme")) {
		g_key_file_free(file);
		return false;
	}
	*parents = ReadList(file, "Icon Theme", "Inherits", kMaxInherits);
	for (const std::string& path :
		ReadList(file, "Icon Theme", "Directories", 4 * kMaxSubfolders)) {
		if (theme->subfolders.size() >= maxSubfolders)
			break;
		const char* group = path.c_str();
		if (!g_key_file_has_group(file, group) || path.find("..") != std::string::npos)
			continue;
		Subfolder subfolder;
		subfolder.path = path;
		subfolder.size = ReadInteger(file, group, "Size", 0);
		// Only unscaled folders: icons are drawn one theme pixel to one screen pixel.
		if (subfolder.size <= 0 || subfolder.size > kMaxIconSize
			|| ReadInteger(file, group, "Scale", 1) != 1)
			continue;
		gchar* type = g_key_file_get_string(file, group, "Type", NULL);
		std::string typeName = type != NULL ? type : "Threshold";
		g_free(type);
		subfolder.type = typeName == "Fixed" ? SizeType::kFixed
			: typeName == "Scalable"         ? SizeType::kScalable
											 : SizeType::kThreshold;
		subfolder.minSize = ReadSize(file, group, "MinSize", subfolder.size);
		subfolder.maxSize = ReadSize(file, group, "MaxSize", subfolder.size);
		subfolder.threshold = ReadSize(file, group, "Threshold", 2);
		theme->subfolders.push_back(subfolder);
	}
	g_key_file_free(file);
	return true;
}

std::string IconTheme::Lookup(
	const std::vector<std::string>& names, int size, size_t* nameIndex) const
{
	size_t unused;
	if (nameIndex == NULL)
		nameIndex = &unused;
	size = std::clamp(size, 1, kMaxIconSize);
	for (const Theme& theme : fChain) {
		for (size_t i = 0; i < names.size(); i++) {
			if (!IsPlainName(names[i]))
				continue;
			std::string found = LookupIn(theme, names[i], size);
			*nameIndex = i;
			if (!found.empty())
				return found;
		}
	}
	for (size_t i = 0; i < names.size(); i++) {
		if (!IsPlainName(names[i]))
			continue;
		std::string found = LookupUnthemed(names[i]);
		*nameIndex = i;
		if (!found.empty())
			return found;
	}
	return std::string();
}

std::string IconTheme::LookupIn(const Theme& theme, const std::string& name, int size) const
{
	for (const Subfolder& subfolder : theme.subfolders) {
		if (!Matches(subfolder, size))
			continue;
		std::string found = FindIn(theme, subfolder, name);
		if (!found.empty())
			return found;
	}
	std::string closest;
	int closestDistance = INT_MAX;
	for (const Subfolder& subfolder : theme.subfolders) {
		int distance = Distance(subfolder, size);
		if (distance >= closestDistance)
			continue;
		std::string found = FindIn(theme, subfolder, name);
		if (!found.empty()) {
			closest = found;
			closestDistance = distance;
		}
	}
	return closest;
}

std::string IconTheme::FindIn(
	const Theme& theme, const Subfolder& subfolder, const std::string& name) const
{
	for (const std::string& root : theme.roots) {
		for (const char* extension : kExtensions) {
			std::string path = root + "/" + subfolder.path + "/" + name + extension;
			if (IsFile(path))
				return path;
		}
	}
	return std::string();
}

std::string IconTheme::LookupUnthemed(const std::string& name) const
{
	for (const std::string& base : fBaseFolders) {
		for (const char* extension : kExtensions) {
			std::string path = base + "/" + name + extension;
			if (IsFile(path))
				return path;
		}
	}
	return std::string();
}

bool IconTheme::Matches(const Subfolder& subfolder, int size)
{
	switch (subfolder.type) {
		case SizeType::kFixed:
			return subfolder.size == size;
		case SizeType::kScalable:
			return subfolder.minSize <= size && size <= subfolder.maxSize;
		case SizeType::kThreshold:
			return subfolder.size - subfolder.threshold <= size
				&& size <= subfolder.size + subfolder.threshold;
	}
	return false;
}

int IconTheme::Distance(const Subfolder& subfolder, int size)
{
	int low = subfolder.size;
	int high = subfolder.size;
	if (subfolder.type == SizeType::kScalable) {
		low = subfolder.minSize;
		high = subfolder.maxSize;
	} else if (subfolder.type == SizeType::kThreshold) {
		low = subfolder.size - subfolder.threshold;
		high = subfolder.size + subfolder.threshold;
	}
	if (size < low)
		return low - size;
	if (size > high)
		return size - high;
	return 0;
}

}  // namespace platform
