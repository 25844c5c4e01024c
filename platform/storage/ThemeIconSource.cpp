#include "storage/ThemeIconSource.h"

#include <gio/gio.h>
#include <stdlib.h>
#include <string.h>

#include "storage/IconImages.h"

namespace platform {

namespace {

const char kDefaultTheme[] = "Adwaita";
const char kInterfaceSchema[] = "org.gnome.desktop.interface";

// The desktop's names for the platform's own types.
const char* DesktopType(const char* mimeType)
{
	if (strcmp(mimeType, kFolderMimeType) == 0)
		return "inode/directory";
	if (strcmp(mimeType, kSymLinkMimeType) == 0)
		return "inode/symlink";
	if (strcmp(mimeType, kExecutableMimeType) == 0
		|| strcmp(mimeType, "application/x-vnd.Be-executable") == 0)
		return "application/x-executable";
	return mimeType;
}

// A base folder as the data folders name it, without a slash at its end.
std::string IconsFolder(const char* dataFolder)
{
	std::string folder = dataFolder;
	while (folder.size() > 1 && folder.back() == '/')
		folder.pop_back();
	return folder + "/icons";
}

bool EndsWith(const std::string& text, const char* suffix)
{
	size_t length = strlen(suffix);
	return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
}

std::vector<std::string> SplitPath(const char* value)
{
	std::vector<std::string> folders;
	gchar** parts = g_strsplit(value, ":", -1);
	for (gchar** part = parts; *part != NULL; part++) {
		if ((*part)[0] != '\0')
			folders.push_back(*part);
	}
	g_strfreev(parts);
	return folders;
}

// What GNOME's settings name, when its schema is installed: the user's own choice, and the
// default that applies without one.
void ReadInterfaceSettings(std::string* chosen, std::string* standard)
{
	GSettingsSchemaSource* source = g_settings_schema_source_get_default();
	if (source == NULL)
		return;
	GSettingsSchema* schema = g_settings_schema_source_lookup(source, kInterfaceSchema, TRUE);
	if (schema == NULL)
		return;
	if (g_settings_schema_has_key(schema, "icon-theme")) {
		GSettings* settings = g_settings_new_full(schema, NULL, NULL);
		GVariant* value = g_settings_get_user_value(settings, "icon-theme");
		if (value != NULL && g_variant_is_of_type(value, G_VARIANT_TYPE_STRING))
			*chosen = g_variant_get_string(value, NULL);
		if (value != NULL)
			g_variant_unref(value);
		gchar* current = g_settings_get_string(settings, "icon-theme");
		*standard = current != NULL ? current : "";
		g_free(current);
		g_object_unref(settings);
	}
	g_settings_schema_unref(schema);
}

// GTK's own settings file, the user's first, then the system's.
std::string ReadGtkSettingsFile()
{
	std::vector<std::string> files;
	files.push_back(std::string(g_get_user_config_dir()) + "/gtk-3.0/settings.ini");
	for (const gchar* const* dir = g_get_system_config_dirs(); *dir != NULL; dir++)
		files.push_back(std::string(*dir) + "/gtk-3.0/settings.ini");
	for (const std::string& path : files) {
		GKeyFile* file = g_key_file_new();
		gchar* name = NULL;
		if (g_key_file_load_from_file(file, path.c_str(), G_KEY_FILE_NONE, NULL))
			name = g_key_file_get_string(file, "Settings", "gtk-icon-theme-name", NULL);
		g_key_file_free(file);
		std::string theme = name != NULL ? name : "";
		g_free(name);
		if (!theme.empty())
			return theme;
	}
	return std::string();
}

}  // namespace

ThemeIconSource::ThemeIconSource(
	const std::vector<std::string>& baseFolders, const std::string& themeName) :
	fTheme(baseFolders, themeName)
{
}

status_t ThemeIconSource::GetIcon(const char* mimeType, icon_size size, uint8* pixels) const
{
	if (mimeType == NULL || pixels == NULL || (size != B_LARGE_ICON && size != B_MINI_ICON))
		return B_BAD_VALUE;
	Key key(mimeType, size);
	std::unique_lock<std::mutex> lock(fLock);
	auto found = fCache.find(key);
	if (found == fCache.end()) {
		// Looked up without the lock: a miss may take thousands of file system calls, and
		// other threads' icons must not wait for them. Two threads may look up the same
		// type at once; the first result kept stands.
		lock.unlock();
		std::vector<uint8> rendered;
		if (!Render(mimeType, size, &rendered))
			rendered.clear();
		lock.lock();
		found = fCache.find(key);
		if (found == fCache.end()) {
			if (fCache.size() >= kMaxCachedIcons)
				fCache.clear();
			found = fCache.emplace(key, std::move(rendered)).first;
		}
	}
	if (found->second.empty())
		return B_ENTRY_NOT_FOUND;
	memcpy(pixels, found->second.data(), found->second.size());
	return B_OK;
}

std::string ThemeIconSource::GetIconFile(const char* mimeType, int size) const
{
	return fTheme.Lookup(IconNamesForType(mimeType), size);
}

bool ThemeIconSource::Render(
	const std::string& mimeType, int size, std::vector<uint8>* pixels) const
{
	std::vector<std::string> names = IconNamesForType(mimeType.c_str());
	pixels->resize(size * size);
	// A file that does not load gives way to the next name that the theme has.
	while (!names.empty()) {
		size_t index = 0;
		std::string path = fTheme.Lookup(names, size, &index);
		if (path.empty())
			return false;
		if (LoadIconImage(path, size, pixels->data()) == B_OK)
			return true;
		names.erase(names.begin() + index);
	}
	return false;
}

std::vector<std::string> ThemeIconSource::IconNamesForType(const char* mimeType)
{
	std::vector<std::string> names;
	if (mimeType == NULL || mimeType[0] == '\0' || strlen(mimeType) >= B_MIME_TYPE_LENGTH)
		return names;
	GIcon* icon = g_content_type_get_icon(DesktopType(mimeType));
	if (icon != NULL && G_IS_THEMED_ICON(icon)) {
		const gchar* const* list = g_themed_icon_get_names(G_THEMED_ICON(icon));
		for (; list != NULL && *list != NULL; list++) {
			if (!EndsWith(*list, "-symbolic"))
				names.push_back(*list);
		}
	}
	if (icon != NULL)
		g_object_unref(icon);
	return names;
}

std::vector<std::string> ThemeIconSource::UserBaseFolders()
{
	const char* override = getenv("VELLUMARK_ICON_THEME_PATH");
	if (override != NULL && override[0] != '\0')
		return SplitPath(override);
	// The folders GTK looks in, in its order.
	std::vector<std::string> folders;
	folders.push_back(IconsFolder(g_get_user_data_dir()));
	folders.push_back(std::string(g_get_home_dir()) + "/.icons");
	for (const gchar* const* dir = g_get_system_data_dirs(); *dir != NULL; dir++)
		folders.push_back(IconsFolder(*dir));
	folders.push_back("/usr/share/pixmaps");
	return folders;
}

std::string ThemeIconSource::UserThemeName()
{
	const char* override = getenv("VELLUMARK_ICON_THEME");
	if (override != NULL && override[0] != '\0')
		return override;
	std::string chosen, standard;
	ReadInterfaceSettings(&chosen, &standard);
	if (!chosen.empty())
		return chosen;
	std::string fromFile = ReadGtkSettingsFile();
	if (!fromFile.empty())
		return fromFile;
	return standard.empty() ? kDefaultTheme : standard;
}

const TypeIconSource* DefaultTypeIconSource()
{
	static const ThemeIconSource source(
		ThemeIconSource::UserBaseFolders(), ThemeIconSource::UserThemeName());
	return &source;
}

}  // namespace platform
