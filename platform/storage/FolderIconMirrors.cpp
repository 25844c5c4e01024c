#include "FolderIconMirrors.h"

#include <Mime.h>
#include <SupportDefs.h>

#include <glib.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

#include "DotDirectory.h"
#include "FileMetadata.h"
#include "FolderFiles.h"
#include "IconImages.h"

namespace platform {

const char kFolderIconImageName[] = ".vellumark-icon.png";
const char kFolderIconImageSoftware[] = "Vellumark folder icon";
const char kFolderIconDirectoryValue[] = "./.vellumark-icon.png";

namespace {

const char kDotDirectory[] = ".directory";
const char kCustomIconKey[] = "custom-icon";
const char kThunarIconKey[] = "thunar-custom-icon-name";
// The image is the 32-pixel icon, each pixel an 8 * 8 block: the 256-pixel size the file
// managers draw folder icons from.
const int kImageScale = 8;
const size_t kMaxImageSize = 1024 * 1024;
const size_t kMaxDotDirectorySize = 64 * 1024;

std::atomic<bool> sEnabled(true);
std::atomic<bool> sFailureReported(false);

std::string
ProcPath(int fd)
{
	char path[40];
	snprintf(path, sizeof(path), "/proc/self/fd/%d", fd);
	return path;
}

bool
SameNode(const struct stat& a, const struct stat& b)
{
	return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The text chunk that Software writes, as it stands in the file.
bool
CarriesSoftware(const std::string& png)
{
	std::string chunk = std::string("tEXtSoftware") + '\0' + kFolderIconImageSoftware;
	return png.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0 && png.find(chunk) != std::string::npos;
}

std::string
ImagePath(const std::string& folder)
{
	return folder + "/" + kFolderIconImageName;
}

std::string
ImageUri(const std::string& folder)
{
	gchar* uri = g_filename_to_uri(ImagePath(folder).c_str(), NULL, NULL);
	std::string result = uri != NULL ? uri : "";
	g_free(uri);
	return result;
}

const char*
Reason(status_t status)
{
	switch (status) {
		case B_PERMISSION_DENIED:
			return "permission denied";
		case B_NOT_ALLOWED:
			return "a file of that name is not ours to change";
		case B_BAD_DATA:
			return "the existing file is not a text of ours to edit";
		case B_READ_ONLY_DEVICE:
			return "read-only file system";
		case B_DEVICE_FULL:
			return "no space left";
		default:
			return "error";
	}
}

}  // namespace

FolderIconMirrors::FolderIconMirrors(int nodeFd)
	:
	fFd(nodeFd)
{
}

void
FolderIconMirrors::SetEnabled(bool enabled)
{
	sEnabled.store(enabled);
}

void
FolderIconMirrors::Publish(const uint8* largeIcon, bool changed)
{
	if (!sEnabled.load() || largeIcon == NULL || !IsFolder())
		return;
	if (!changed && FolderFiles(fFd).Exists(kFolderIconImageName))
		return;
	FolderFiles(fFd).RemoveStaleTemporaries();
	// Each copy points at the image: without an image of ours there is nothing to show.
	status_t status = PublishImage(largeIcon);
	if (status != B_OK) {
		ReportFailure("the hidden icon image", status);
		return;
	}
	status = PublishDotDirectory();
	if (status != B_OK)
		ReportFailure(kDotDirectory, status);
	if (!FileMetadata::IsAvailable())
		return;
	std::string folder = FolderPath();
	status = folder.empty() ? B_ENTRY_NOT_FOUND : PublishMetadata(folder);
	if (status != B_OK)
		ReportFailure("the file manager metadata", status);
}

void
FolderIconMirrors::Withdraw()
{
	if (!sEnabled.load() || !IsFolder())
		return;
	FolderFiles(fFd).RemoveStaleTemporaries();
	status_t status = WithdrawImage();
	if (status != B_OK)
		ReportFailure("the hidden icon image", status);
	status = WithdrawDotDirectory();
	if (status != B_OK)
		ReportFailure(kDotDirectory, status);
	if (!FileMetadata::IsAvailable())
		return;
	std::string folder = FolderPath();
	status = folder.empty() ? B_OK : WithdrawMetadata(folder);
	if (status != B_OK)
		ReportFailure("the file manager metadata", status);
}

bool
FolderIconMirrors::IsFolder() const
{
	struct stat st;
	return fFd >= 0 && fstat(fFd, &st) == 0 && S_ISDIR(st.st_mode);
}

// Where the folder is now (the kernel follows renames), checked to still be that folder.
std::string
FolderIconMirrors::FolderPath() const
{
	char path[PATH_MAX];
	ssize_t length = readlink(ProcPath(fFd).c_str(), path, sizeof(path) - 1);
	if (length <= 0 || path[0] != '/')
		return std::string();
	path[length] = '\0';
	struct stat byDescriptor, byPath;
	if (fstat(fFd, &byDescriptor) != 0 || lstat(path, &byPath) != 0
		|| !SameNode(byDescriptor, byPath))
		return std::string();
	return path;
}

bool
FolderIconMirrors::IsOwnImage(status_t* status) const
{
	std::string content;
	*status = FolderFiles(fFd).Read(kFolderIconImageName, kMaxImageSize, &content);
	if (*status != B_OK)
		return false;
	if (CarriesSoftware(content))
		return true;
	*status = B_NOT_ALLOWED;
	return false;
}

status_t
FolderIconMirrors::PublishImage(const uint8* largeIcon)
{
	status_t status;
	if (!IsOwnImage(&status) && status != B_ENTRY_NOT_FOUND)
		return status;  // another program's file, or no file at all: left as it is
	std::string png;
	status = EncodeIconPng(largeIcon, B_LARGE_ICON, kImageScale, kFolderIconImageSoftware, &png);
	if (status != B_OK)
		return status;
	return FolderFiles(fFd).Replace(kFolderIconImageName, png);
}

status_t
FolderIconMirrors::WithdrawImage()
{
	status_t status;
	if (!IsOwnImage(&status))
		return status == B_ENTRY_NOT_FOUND || status == B_NOT_ALLOWED ? B_OK : status;
	status = FolderFiles(fFd).Remove(kFolderIconImageName);
	return status == B_ENTRY_NOT_FOUND ? B_OK : status;
}

status_t
FolderIconMirrors::PublishDotDirectory()
{
	bool editable = true;
	status_t status = FolderFiles(fFd).Edit(kDotDirectory, kMaxDotDirectorySize,
		[&editable](const std::string& text, bool exists, std::string* edited) {
			editable = DotDirectory::IsEditable(text);
			if (!editable)
				return FolderFiles::kKeep;
			DotDirectory entry(text);
			entry.SetIcon(kFolderIconDirectoryValue, !exists);
			*edited = entry.Text();
			return *edited == text && exists ? FolderFiles::kKeep : FolderFiles::kWrite;
		});
	return status == B_OK && !editable ? B_BAD_DATA : status;
}

status_t
FolderIconMirrors::WithdrawDotDirectory()
{
	status_t status = FolderFiles(fFd).Edit(kDotDirectory, kMaxDotDirectorySize,
		[](const std::string& text, bool, std::string* edited) {
			if (!DotDirectory::IsEditable(text))
				return FolderFiles::kKeep;  // nothing of ours can be in it
			DotDirectory entry(text);
			if (entry.WithdrawIcon(kFolderIconDirectoryValue))
				return FolderFiles::kRemove;
			*edited = entry.Text();
			return *edited == text ? FolderFiles::kKeep : FolderFiles::kWrite;
		});
	return status == B_NOT_ALLOWED || status == B_BAD_DATA ? B_OK : status;
}

status_t
FolderIconMirrors::PublishMetadata(const std::string& folder)
{
	FileMetadata metadata(folder);
	std::string uri = ImageUri(folder);
	if (uri.empty())
		return B_BAD_VALUE;
	status_t status = metadata.Set(kCustomIconKey, uri);
	status_t thunar = metadata.Set(kThunarIconKey, ImagePath(folder));
	return status != B_OK ? status : thunar;
}

status_t
FolderIconMirrors::WithdrawMetadata(const std::string& folder)
{
	FileMetadata metadata(folder);
	status_t status = B_OK;
	std::string value;
	if (metadata.Get(kCustomIconKey, &value) == B_OK && value == ImageUri(folder))
		status = metadata.Unset(kCustomIconKey);
	if (metadata.Get(kThunarIconKey, &value) == B_OK && value == ImagePath(folder)) {
		status_t thunar = metadata.Unset(kThunarIconKey);
		if (status == B_OK)
			status = thunar;
	}
	return status;
}

void
FolderIconMirrors::ReportFailure(const char* what, status_t status)
{
	if (sFailureReported.exchange(true))
		return;
	fprintf(stderr, "vellumark: the folder icon is stored, but %s for the file managers could "
		"not be written (%s); further such failures are not reported\n", what,
		Reason(status));
}

}  // namespace platform
