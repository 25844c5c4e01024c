#include "tools/FolderWalk.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace platform {

namespace {

const int kOpenFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY;

// One folder on the way down, its listing open.
struct Level {
	DIR* listing;
	dev_t device;
	ino_t inode;
	size_t shownLength;
	size_t pathLength;
};

std::string Problem(int error)
{
	switch (error) {
		case ENOENT:
			return "no such file or folder";
		case ENOTDIR:
			return "not a folder";
		case EACCES:
		case EPERM:
			return "permission denied";
		default:
			return strerror(error);
	}
}

void Append(std::string* path, const char* name)
{
	if (path->empty() || path->back() != '/')
		*path += '/';
	*path += name;
}

}  // namespace

FolderWalk::FolderWalk(bool recursive, Visitor visit, Reporter report) :
	fRecursive(recursive),
	fVisit(std::move(visit)),
	fReport(std::move(report))
{
}

bool FolderWalk::Walk(const std::string& argument)
{
	std::string shown = argument;
	while (shown.size() > 1 && shown.back() == '/')
		shown.pop_back();
	char* real = realpath(argument.c_str(), NULL);
	int fd = real != NULL ? open(real, kOpenFlags) : -1;
	struct stat st;
	int error = fd < 0 || fstat(fd, &st) != 0 ? errno : 0;
	std::string path = real != NULL ? real : "";
	free(real);
	if (error != 0) {
		fReport(shown, Problem(error));
		if (fd >= 0)
			close(fd);
		return false;
	}
	bool held = fVisit({shown, path, fd, st});
	DIR* listing = fRecursive ? fdopendir(fd) : NULL;
	if (listing == NULL) {
		close(fd);
		return held;
	}
	std::vector<Level> levels{{listing, st.st_dev, st.st_ino, shown.size(), path.size()}};
	while (!levels.empty()) {
		const Level& level = levels.back();
		shown.resize(level.shownLength);
		path.resize(level.pathLength);
		errno = 0;
		struct dirent* entry = readdir(level.listing);
		if (entry == NULL) {
			if (errno != 0) {
				fReport(shown, "its listing could not be read to the end");
				held = false;
			}
			closedir(level.listing);
			levels.pop_back();
			continue;
		}
		const char* name = entry->d_name;
		if (strcmp(name, ".") == 0 || strcmp(name, "..") == 0
			|| (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN))
			continue;
		Append(&shown, name);
		Append(&path, name);
		// A link, or an entry gone or replaced by a file since it was listed, is no folder.
		int child = openat(dirfd(level.listing), name, kOpenFlags | O_NOFOLLOW);
		if (child < 0 && (errno == ENOTDIR || errno == ELOOP || errno == ENOENT))
			continue;
		if (child < 0 || fstat(child, &st) != 0) {
			fReport(shown, Problem(errno));
			held = false;
			if (child >= 0)
				close(child);
			continue;
		}
		auto above = std::find_if(levels.begin(), levels.end(),
			[&](const Level& l) { return l.device == st.st_dev && l.inode == st.st_ino; });
		if (above != levels.end()) {
			// Everything in it is being walked already: nothing is left out.
			fReport(shown,
				"the same folder as " + shown.substr(0, above->shownLength)
					+ " above it; not walked again");
			close(child);
			continue;
		}
		if (levels.size() > kMaxDepth) {
			fReport(shown,
				"more than " + std::to_string(kMaxDepth) + " folders below " + argument
					+ "; not looked at");
			held = false;
			close(child);
			continue;
		}
		held = fVisit({shown, path, child, st}) && held;
		listing = fdopendir(child);
		if (listing == NULL) {
			fReport(shown, Problem(errno));
			held = false;
			close(child);
			continue;
		}
		levels.push_back({listing, st.st_dev, st.st_ino, shown.size(), path.size()});
	}
	return held;
}

}  // namespace platform
