#include "storage/NodeType.h"

#include <fcntl.h>
#include <gio/gio.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "storage/TypeIconSource.h"

namespace platform {

namespace {

// As much of a file as the desktop reads to tell its type.
const size_t kSniffLength = 4096;

void CopyType(const char* from, char* type)
{
	if (strlen(from) >= B_MIME_TYPE_LENGTH)
		from = kDocumentMimeType;
	strcpy(type, from);
}

std::string ProcPath(int fd)
{
	char path[40];
	snprintf(path, sizeof(path), "/proc/self/fd/%d", fd);
	return path;
}

// The node's name now, from the path the kernel keeps for its descriptor.
std::string CurrentName(int fd)
{
	char path[PATH_MAX];
	ssize_t length = readlink(ProcPath(fd).c_str(), path, sizeof(path) - 1);
	if (length <= 0)
		return std::string();
	std::string name(path, length);
	size_t slash = name.rfind('/');
	return slash == std::string::npos ? name : name.substr(slash + 1);
}

const char* SpecialFileType(mode_t mode)
{
	if (S_ISDIR(mode))
		return kFolderMimeType;
	if (S_ISLNK(mode))
		return kSymLinkMimeType;
	if (S_ISFIFO(mode))
		return "inode/fifo";
	if (S_ISCHR(mode))
		return "inode/chardevice";
	if (S_ISBLK(mode))
		return "inode/blockdevice";
	if (S_ISSOCK(mode))
		return "inode/socket";
	return NULL;
}

// The type of a regular file, told the way the desktop's file manager tells it.
std::string FileType(int fd, const struct stat& st)
{
	std::string name = CurrentName(fd);
	gboolean uncertain = TRUE;
	gchar* guess = g_content_type_guess(name.empty() ? NULL : name.c_str(), NULL, 0, &uncertain);
	std::string type = guess != NULL ? guess : kDocumentMimeType;
	g_free(guess);
	if (!uncertain)
		return type;
	// An empty file is a new text, as the desktop has it; nothing to read either way.
	if (st.st_size == 0)
		return "text/plain";
	// The descriptor opens for no reading; its /proc link reopens that same file.
	int readable = open(ProcPath(fd).c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
	if (readable < 0)
		return type;
	guchar data[kSniffLength];
	ssize_t length = read(readable, data, sizeof(data));
	close(readable);
	if (length <= 0)
		return type;
	guess = g_content_type_guess(name.empty() ? NULL : name.c_str(), data, length, NULL);
	if (guess != NULL)
		type = guess;
	g_free(guess);
	return type;
}

}  // namespace

void GetDesktopNodeType(int fd, char* type)
{
	struct stat st;
	if (fstat(fd, &st) != 0) {
		CopyType(kDocumentMimeType, type);
		return;
	}
	const char* special = SpecialFileType(st.st_mode);
	if (special != NULL) {
		CopyType(special, type);
		return;
	}
	CopyType(FileType(fd, st).c_str(), type);
}

}  // namespace platform
