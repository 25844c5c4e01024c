#include "desktop/FolderIconView.h"

#include <Mime.h>
#include <SupportDefs.h>

#include <glib.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <set>
#include <vector>

#include "desktop/DesktopNotifier.h"
#include "desktop/DotDirectory.h"
#include "desktop/FileMetadata.h"
#include "desktop/FolderFiles.h"
#include "desktop/FolderIconDrawing.h"
#include "desktop/ImageNames.h"
#include "storage/EntryPaths.h"

namespace platform {

namespace {

const char kDotDirectory[] = ".directory";
const char kCustomIconKey[] = "custom-icon";
const char kThunarIconKey[] = "thunar-custom-icon-name";
const size_t kMaxImageSize = 8 * 1024 * 1024;
const size_t kMaxDotDirectorySize = 64 * 1024;
// What a .directory names is read from files far larger than those edited: an image it may
// name is never taken for unnamed.
const size_t kMaxPointerRead = 1024 * 1024;
// A folder holds one image of ours; many more are leftovers of interrupted runs.
const size_t kMaxImagesSeen = 4096;

std::string Uri(const std::string& path)
{
	gchar* uri = g_filename_to_uri(path.c_str(), NULL, NULL);
	std::string result = uri != NULL ? uri : "";
	g_free(uri);
	return result;
}

std::string PathOfUri(const std::string& uri)
{
	gchar* path = g_filename_from_uri(uri.c_str(), NULL, NULL);
	std::string result = path != NULL ? path : "";
	g_free(path);
	return result;
}

// A path that names an image of ours in the folder.
bool IsOwnImagePath(const std::string& folder, const std::string& path)
{
	return path.size() > folder.size() + 1 && path.compare(0, folder.size(), folder) == 0
		&& path[folder.size()] == '/' && IsFolderIconImageName(path.substr(folder.size() + 1));
}

}  // namespace

FolderIconView::FolderIconView(int nodeFd, IconChange* change) :
	fFd(nodeFd),
	fFiles(nodeFd),
	fChange(change)
{
}

void FolderIconView::Publish(const uint8* largeIcon, const uint8* previousIcon, bool changed)
{
	const std::string hash = LargeIconHash(largeIcon);
	const std::string name = FolderIconImageNameForHash(hash);
	// A view made whole is sealed (its image made read-only): an icon stored over itself
	// then costs one look, while a view that a failure left part made is made again.
	if (!changed && fFiles.IsSealed(name.c_str()))
		return;
	IconTrace traced;
	const IconTrace* trace =
		fChange != NULL && TraceIcon(fChange->Shown(), fChange->Node(), largeIcon, &traced)
		? &traced
		: NULL;
	fFiles.RemoveStaleTemporaries();
	const std::string folder = CurrentPath(fFd);
	// The images that may go once the pointers have moved off them: by name, whatever the
	// size of the folder; the listing only finds what earlier runs left behind.
	std::set<std::string> earlier = ReadPointers(folder).images;
	if (previousIcon != NULL)
		earlier.insert(FolderIconImageName(previousIcon));
	// Each pointer names the image: without a whole image of ours there is nothing to show.
	status_t status = PublishImage(name, hash, largeIcon, trace);
	if (status != B_OK) {
		ReportFailure("its image for the file managers could not be written", status);
		return;
	}
	bool whole = true;
	status = PublishDotDirectory(name);
	if (status != B_OK) {
		ReportFailure("its .directory entry could not be written", status);
		whole = false;
	}
	if (FileMetadata::IsAvailable()) {
		status = folder.empty() ? B_ENTRY_NOT_FOUND : PublishMetadata(folder, name);
		if (status != B_OK) {
			ReportFailure("the file managers' metadata could not be written", status);
			whole = false;
		}
	}
	status = RemoveImages(folder, earlier, name);
	if (status != B_OK) {
		ReportFailure("an earlier image of it could not be removed", status);
		whole = false;
	}
	// Nothing of ours may be left behind either: the next store of the icon would not look.
	if (whole && !fFiles.LeftBehind())
		fFiles.Seal(name.c_str());
	DesktopNotifier::FolderIconChanged(folder);
}

void FolderIconView::Withdraw(const uint8* storedIcon)
{
	fFiles.RemoveStaleTemporaries();
	const std::string folder = CurrentPath(fFd);
	std::set<std::string> earlier = ReadPointers(folder).images;
	if (storedIcon != NULL)
		earlier.insert(FolderIconImageName(storedIcon));
	// The pointers first: none may outlive the image it names.
	status_t status = WithdrawDotDirectory();
	if (status != B_OK)
		ReportFailure("its .directory entry could not be taken back", status);
	if (FileMetadata::IsAvailable() && !folder.empty()) {
		status = WithdrawMetadata(folder);
		if (status != B_OK)
			ReportFailure("the file managers' metadata could not be taken back", status);
	}
	status = RemoveImages(folder, earlier, std::string());
	if (status != B_OK)
		ReportFailure("its image for the file managers could not be removed", status);
	DesktopNotifier::FolderIconChanged(folder);
}

FolderIconView::Inspection FolderIconView::Inspect(const uint8* largeIcon) const
{
	const std::string hash = LargeIconHash(largeIcon);
	const std::string name = FolderIconImageNameForHash(hash);
	Inspection inspection;
	std::string text;
	status_t status = fFiles.Peek(name.c_str(), kMaxImageSize, &text);
	if (status == B_ENTRY_NOT_FOUND)
		inspection.problem = "its image is missing";
	else if (status != B_OK || !IsFolderIconImageOf(text, hash))
		inspection.problem = "its image does not show the stored icon";

	std::vector<std::string> icons;
	if (fFiles.Peek(kDotDirectory, kMaxPointerRead, &text) == B_OK)
		icons = DotDirectory(text).IconValues();
	const std::string value = FolderIconDirectoryValue(name);
	// Any other Icon= may be the one a reader takes.
	if (inspection.problem == NULL
		&& (icons.empty() || std::any_of(icons.begin(), icons.end(), [&](const std::string& v) {
			   return v != value;
		   })))
		inspection.problem = ".directory does not name its image";

	// Looked at whatever else was found: another program's icon must be known to be left.
	if (!FileMetadata::IsAvailable())
		return inspection;
	const std::string folder = CurrentPath(fFd);
	if (folder.empty()) {
		inspection.problem =
			inspection.problem != NULL ? inspection.problem : "its path is unknown";
		return inspection;
	}
	const std::string path = folder + "/" + name;
	std::vector<FileMetadata::Value> values =
		FileMetadata(folder).GetEach({kCustomIconKey, kThunarIconKey});
	for (size_t i = 0; i < values.size(); i++) {
		auto [found, named] = values[i];
		if (found == B_OK && named == (i == 0 ? Uri(path) : path))
			continue;
		if (inspection.problem == NULL)
			inspection.problem = "the metadata store does not name its image";
		if (found != B_OK)
			continue;
		// An image of ours, in this folder or another, is ours to replace; anything else
		// (a picture chosen in the file manager, an icon name) is not.
		if (i == 0)
			named = PathOfUri(named);
		if (!IsFolderIconImageName(named.substr(named.rfind('/') + 1))) {
			inspection.problem = "the metadata store names another program's icon";
			inspection.foreign = true;
		}
	}
	return inspection;
}

FolderIconView::Inspection FolderIconView::Repair(const uint8* largeIcon, bool* published)
{
	Inspection inspection = Inspect(largeIcon);
	*published = inspection.problem != NULL && !inspection.foreign;
	if (!*published)
		return inspection;
	Publish(largeIcon, NULL, true);
	return Inspect(largeIcon);
}

// What .directory and the metadata store name of ours, read as the file managers read them.
FolderIconView::Pointers FolderIconView::ReadPointers(const std::string& folder) const
{
	Pointers pointers;
	std::string text;
	status_t status = fFiles.Peek(kDotDirectory, kMaxPointerRead, &text);
	if (status == B_OK) {
		for (const std::string& value : DotDirectory(text).IconValues()) {
			if (IsFolderIconDirectoryValue(value))
				pointers.images.insert(value.substr(2));
		}
	} else if (status != B_ENTRY_NOT_FOUND && status != B_NOT_ALLOWED) {
		pointers.known = false;  // a link or a device was never ours to write: it names none
	}
	if (folder.empty() || !FileMetadata::IsAvailable())
		return pointers;
	std::vector<FileMetadata::Value> values =
		FileMetadata(folder).GetEach({kCustomIconKey, kThunarIconKey});
	for (size_t i = 0; i < values.size(); i++) {
		auto [found, value] = values[i];
		if (found == B_OK && i == 0)
			value = PathOfUri(value);  // the custom icon's URI
		if (found == B_OK && IsOwnImagePath(folder, value))
			pointers.images.insert(value.substr(folder.size() + 1));
		else if (found != B_OK && found != B_ENTRY_NOT_FOUND)
			pointers.known = false;
	}
	return pointers;
}

status_t FolderIconView::ReadOwnImage(const std::string& name, std::string* png) const
{
	status_t status = fFiles.Read(name.c_str(), kMaxImageSize, png);
	if (status == B_BAD_DATA)
		return B_NOT_ALLOWED;  // far larger than any image of ours
	if (status == B_OK && !CarriesFolderIconSoftware(*png))
		return B_NOT_ALLOWED;
	return status;
}

status_t FolderIconView::PublishImage(const std::string& name, const std::string& hash,
	const uint8* largeIcon, const IconTrace* trace)
{
	// Named after what it shows: an image of ours of that name is the one to show.
	std::string png;
	status_t status = ReadOwnImage(name, &png);
	if (status == B_OK && IsFolderIconImageOf(png, hash))
		return B_OK;
	if (status != B_OK && status != B_ENTRY_NOT_FOUND)
		return status;  // another program's file, or an unreadable one: left as it is

	// The image of the icon this one was drawn over, when we made it and it shows exactly
	// that icon, is the base: the drawing goes on from there at full resolution.
	RgbaImage previous;
	bool hasPrevious = false;
	if (trace != NULL && trace->folderType.empty()) {
		const std::string beforeHash = LargeIconHash(trace->previousLarge.data());
		hasPrevious = ReadOwnImage(FolderIconImageNameForHash(beforeHash), &png) == B_OK
			&& RecordedLargeIconHash(png) == beforeHash
			&& RgbaImage::FromPng(png, FolderIconDrawing::kSize, &previous) == B_OK;
	}
	RgbaImage image = FolderIconDrawing::Draw(largeIcon, trace, hasPrevious ? &previous : NULL);
	status =
		image.EncodePng({{"Software", kFolderIconSoftware}, {kFolderIconHashKeyword, hash}}, &png);
	if (status != B_OK)
		return status;
	return fFiles.Replace(name.c_str(), png);
}

// Removes the images of ours named in earlier, and those the folder's listing finds, but
// keep and any that a pointer still names (its move failed): by name and by the text
// inside, so that another program's file of such a name stays. Nothing goes while what a
// pointer names cannot be read.
status_t FolderIconView::RemoveImages(
	const std::string& folder, const std::set<std::string>& earlier, const std::string& keep)
{
	Pointers now = ReadPointers(folder);
	if (!now.known)
		return B_BUSY;
	const FolderFiles& files = fFiles;
	std::set<std::string> names = earlier;
	names.insert(kLegacyFolderIconImage);
	for (const std::string& name : files.Names(IsFolderIconImageName, kMaxImagesSeen))
		names.insert(name);
	status_t result = B_OK;
	for (const std::string& name : names) {
		std::string png;
		if (name == keep || now.images.count(name) != 0 || ReadOwnImage(name, &png) != B_OK)
			continue;
		status_t status = files.Remove(name.c_str());
		if (status != B_OK && status != B_ENTRY_NOT_FOUND && result == B_OK)
			result = status;
	}
	return result;
}

status_t FolderIconView::PublishDotDirectory(const std::string& name)
{
	status_t refused = B_OK;
	status_t status = fFiles.Edit(kDotDirectory, kMaxDotDirectorySize,
		[&](const std::string& text, bool exists, std::string* edited) {
			refused = DotDirectory::IsEditable(text) ? B_OK : B_BAD_DATA;
			if (refused != B_OK)
				return FolderFiles::kKeep;
			DotDirectory entry(text);
			entry.SetIcon(FolderIconDirectoryValue(name), !exists, IsFolderIconDirectoryValue);
			*edited = entry.Text();
			// Never past what the next edit will read: the line would stay for ever.
			if (edited->size() > kMaxDotDirectorySize) {
				refused = B_BAD_DATA;
				return FolderFiles::kKeep;
			}
			return *edited == text && exists ? FolderFiles::kKeep : FolderFiles::kWrite;
		});
	return status == B_OK ? refused : status;
}

status_t FolderIconView::WithdrawDotDirectory()
{
	const FolderFiles& files = fFiles;
	status_t status = files.Edit(kDotDirectory, kMaxDotDirectorySize,
		[](const std::string& text, bool, std::string* edited) {
			if (!DotDirectory::IsEditable(text))
				return FolderFiles::kKeep;  // nothing of ours can be in it
			DotDirectory entry(text);
			if (entry.WithdrawIcon(IsFolderIconDirectoryValue))
				return FolderFiles::kRemove;
			*edited = entry.Text();
			return *edited == text ? FolderFiles::kKeep : FolderFiles::kWrite;
		});
	if (status != B_NOT_ALLOWED && status != B_BAD_DATA)
		return status;
	// A file we may not edit is a failure only while it names an image of ours.
	std::string text;
	if (files.Peek(kDotDirectory, kMaxPointerRead, &text) != B_OK)
		return B_OK;
	for (const std::string& value : DotDirectory(text).IconValues()) {
		if (IsFolderIconDirectoryValue(value))
			return status;
	}
	return B_OK;
}

status_t FolderIconView::PublishMetadata(const std::string& folder, const std::string& name)
{
	std::string path = folder + "/" + name;
	std::string uri = Uri(path);
	if (uri.empty())
		return B_BAD_VALUE;
	return FileMetadata(folder).SetEach({{kCustomIconKey, uri}, {kThunarIconKey, path}});
}

status_t FolderIconView::WithdrawMetadata(const std::string& folder)
{
	FileMetadata metadata(folder);
	status_t status = B_OK;
	std::string value;
	if (metadata.Get(kCustomIconKey, &value) == B_OK) {
		gchar* path = g_filename_from_uri(value.c_str(), NULL, NULL);
		if (path != NULL && IsOwnImagePath(folder, path))
			status = metadata.Unset(kCustomIconKey);
		g_free(path);
	}
	if (metadata.Get(kThunarIconKey, &value) == B_OK && IsOwnImagePath(folder, value)) {
		status_t thunar = metadata.Unset(kThunarIconKey);
		if (status == B_OK)
			status = thunar;
	}
	return status;
}

void FolderIconView::ReportFailure(const char* what, status_t status)
{
	if (fChange != NULL)
		fChange->Fail(what, status);
}

}  // namespace platform
