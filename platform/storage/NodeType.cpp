#include "storage/NodeType.h"

#include <errno.h>
#include <fcntl.h>
#include <gio/gio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "storage/EntryPaths.h"
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

// The last part of the path the node was opened by.
const char* LeafName(const std::string& path)
{
	size_t slash = path.rfind('/');
	return slash == std::string::npos ? path.c_str() : path.c_str() + slash + 1;
}

// The file's first bytes, from the descriptor itself when it is open for reading; an O_PATH
// one is reopened through its /proc name, which is that same file.
ssize_t ReadHead(int fd, guchar* data, size_t size)
{
	ssize_t length = pread(fd, data, size, 0);
	if (length >= 0 || errno != EBADF)
		return length;
	int readable = open(DescriptorPath(fd).c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
	if (readable < 0)
		return -1;
	length = read(readable, data, size);
	close(readable);
	return length;
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
std::string FileType(int fd, const char* name)
{
	if (name[0] == '\0')
		name = NULL;
	gboolean uncertain = TRUE;
	gchar* guess = g_content_type_guess(name, NULL, 0, &uncertain);
	std::string type = guess != NULL ? guess : kDocumentMimeType;
	g_free(guess);
	if (!uncertain)
		return type;
	// An empty file is a new text, as the desktop has it; nothing to read either way.
	struct stat st;
	if (fstat(fd, &st) == 0 && st.st_size == 0)
		return "text/plain";
	guchar data[kSniffLength];
	ssize_t length = ReadHead(fd, data, sizeof(data));
	if (length <= 0)
		return type;
	guess = g_content_type_guess(name, data, length, NULL);
	if (guess != NULL)
		type = guess;
	g_free(guess);
	return type;
}

}  // namespace

void GetDesktopNodeType(int fd, mode_t mode, const std::string& path, char* type)
{
	const char* special = SpecialFileType(mode);
	if (special != NULL) {
		CopyType(special, type);
		return;
	}
	CopyType(FileType(fd, LeafName(path)).c_str(), type);
}

}  // namespace platform
