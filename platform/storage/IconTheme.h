#ifndef PLATFORM_ICON_THEME_H
#define PLATFORM_ICON_THEME_H

#include <stddef.h>

#include <string>
#include <vector>

namespace platform {

// A desktop icon theme found by the freedesktop icon theme rules: the theme's index.theme in
// the first base folders that hold it, its parents after it, hicolor last, then the base
// folders themselves for unthemed icons. It reads no cache file and needs no display. Built
// once, it only reads the file system afterwards, so one object may serve several threads.
class IconTheme {
public:
	IconTheme(const std::vector<std::string>& baseFolders, const std::string& name);

	// The file of the first name that a theme of the chain has, taken from the folder whose
	// size fits size best; an empty string when no theme has any of the names. nameIndex,
	// when given, receives the index of the name found.
	std::string Lookup(
		const std::vector<std::string>& names, int size, size_t* nameIndex = NULL) const;

private:
	enum class SizeType {
		kFixed,
		kScalable,
		kThreshold
	};

	struct Subfolder {
		std::string path;
		SizeType type;
		int size;
		int minSize;
		int maxSize;
		int threshold;
	};

	struct Theme {
		std::string name;
		std::vector<std::string> roots;  // base/name for each base folder that has it
		std::vector<Subfolder> subfolders;
	};

	void AddTheme(const std::string& name, int depth);
	bool ReadIndex(const std::string& indexPath, size_t maxSubfolders, Theme* theme,
		std::vector<std::string>* parents) const;
	std::string LookupIn(const Theme& theme, const std::string& name, int size) const;
	std::string FindIn(
		const Theme& theme, const Subfolder& subfolder, const std::string& name) const;
	std::string LookupUnthemed(const std::string& name) const;

	static bool Matches(const Subfolder& subfolder, int size);
	static int Distance(const Subfolder& subfolder, int size);

	std::vector<std::string> fBaseFolders;
	std::vector<Theme> fChain;
};

}  // namespace platform

#endif
