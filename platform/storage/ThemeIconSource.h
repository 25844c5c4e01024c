#ifndef PLATFORM_THEME_ICON_SOURCE_H
#define PLATFORM_THEME_ICON_SOURCE_H

#include <StorageDefs.h>

#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "storage/IconTheme.h"
#include "storage/TypeIconSource.h"

namespace platform {

// Type icons from a desktop icon theme: the type's icon names from the shared MIME database,
// the file from the theme, rendered at the icon's size and reduced to the colour map. Each
// type and size is looked up once for the life of the object (a miss too), from any thread;
// only past kMaxCachedIcons lookups, all kept ones are forgotten and looked up again.
class ThemeIconSource : public TypeIconSource {
public:
	ThemeIconSource(const std::vector<std::string>& baseFolders, const std::string& themeName);

	status_t GetIcon(const char* mimeType, icon_size size, uint8* pixels) const override;
	std::string GetIconFile(const char* mimeType, int size) const override;

	// The icon names the shared MIME database gives a type, the platform's own types read as
	// their desktop counterparts; symbolic (single-colour) names are left out.
	static std::vector<std::string> IconNamesForType(const char* mimeType);

	// The user's theme and the folders it is looked for in. VELLUMARK_ICON_THEME_PATH (base
	// folders separated by colons) and VELLUMARK_ICON_THEME (a theme name) override them.
	static std::vector<std::string> UserBaseFolders();
	static std::string UserThemeName();

	// Types come from other programs' attributes: what is kept for them stays bounded.
	static constexpr size_t kMaxCachedIcons = 1024;

private:
	typedef std::pair<std::string, int> Key;

	bool Render(const std::string& mimeType, int size, std::vector<uint8>* pixels) const;

	IconTheme fTheme;
	mutable std::mutex fLock;
	mutable std::map<Key, std::vector<uint8>> fCache;  // empty: the theme has none
};

}  // namespace platform

#endif
