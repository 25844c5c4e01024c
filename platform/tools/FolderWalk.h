#ifndef PLATFORM_TOOLS_FOLDER_WALK_H
#define PLATFORM_TOOLS_FOLDER_WALK_H

#include <sys/stat.h>

#include <functional>
#include <string>

namespace platform {

// The folder a command-line path names (a link there is followed) and, when asked, every
// folder below it, each before what it holds. Below the path no symbolic link is followed,
// and a folder already open on the way down (a bind mount of a folder above) is not entered
// again. Memory grows with the depth only, one open listing a level, and the depth is
// bounded: a folder more than kMaxDepth below the path is reported, not entered.
class FolderWalk {
public:
	static const size_t kMaxDepth = 256;

	struct Folder {
		const std::string& shown;  // the path as given, with the names below it
		const std::string& path;  // the same folder by its absolute path without links
		int fd;  // open for reading
		const struct stat& st;
	};
	// Whether the folder held; a visitor that says not has told why itself.
	typedef std::function<bool(const Folder& folder)> Visitor;
	// A line about a folder that could not be looked at, or about a loop.
	typedef std::function<void(const std::string& shown, const std::string& problem)> Reporter;

	FolderWalk(bool recursive, Visitor visit, Reporter report);

	// Whether every folder reached held and nothing was left out.
	bool Walk(const std::string& argument);

private:
	bool fRecursive;
	Visitor fVisit;
	Reporter fReport;
};

}  // namespace platform

#endif
