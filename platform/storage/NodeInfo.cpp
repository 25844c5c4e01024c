#include <NodeInfo.h>

#include <Bitmap.h>
#include <TypeConstants.h>

#include <new>
#include <string.h>
#include <sys/stat.h>

#include "storage/NodeIconObserver.h"
#include "storage/NodeType.h"
#include "storage/TypeIconSource.h"

namespace {

const char kTypeAttr[] = "BEOS:TYPE";
const char kLargeIconAttr[] = "BEOS:L:STD_ICON";
const char kMiniIconAttr[] = "BEOS:M:STD_ICON";
const type_code kLargeIconType = 'ICON';
const type_code kMiniIconType = 'MICN';

bool IsIconSize(icon_size which)
{
	return which == B_LARGE_ICON || which == B_MINI_ICON;
}

const char* IconAttr(icon_size which)
{
	return which == B_LARGE_ICON ? kLargeIconAttr : kMiniIconAttr;
}

type_code IconType(icon_size which)
{
	return which == B_LARGE_ICON ? kLargeIconType : kMiniIconType;
}

// An icon bitmap is B_CMAP8 and exactly which pixels on each side, its rows packed.
bool FitsIcon(const BBitmap* icon, icon_size which)
{
	if (icon == NULL || icon->InitCheck() != B_OK || icon->ColorSpace() != B_CMAP8)
		return false;
	BRect bounds = icon->Bounds();
	return bounds.IntegerWidth() + 1 == which && bounds.IntegerHeight() + 1 == which
		&& icon->BytesPerRow() == which;
}

// Whether a failed read of an attribute means the node has no such value: none stored, a
// file system that keeps none, or a value that is not of the kind asked for. Any other
// failure (a node the caller may not read, an I/O error, a value that keeps changing) leaves
// the value unknown, and must not be taken for its absence: an own icon shown as the type's
// icon would be drawn over and lost.
bool HasNoValue(status_t status)
{
	return status == B_ENTRY_NOT_FOUND || status == B_NOT_SUPPORTED || status == B_BAD_DATA
		|| status == B_BAD_TYPE;
}

// The node's own icon of that size, which * which indices; B_BAD_DATA when the value is not
// exactly an icon.
status_t ReadOwnIcon(const BNode* node, icon_size which, uint8* pixels)
{
	const int32 size = which * which;
	// One byte more than an icon: a longer value reads long and is refused.
	uint8 value[B_LARGE_ICON * B_LARGE_ICON + 1];
	ssize_t length = node->ReadAttr(IconAttr(which), IconType(which), 0, value, size + 1);
	if (length < 0)
		return status_t(length);
	if (length != size)
		return B_BAD_DATA;
	memcpy(pixels, value, size);
	return B_OK;
}

}  // namespace

BNodeInfo::BNodeInfo() :
	fNode(NULL),
	fStatus(B_NO_INIT),
	fShown(new (std::nothrow) platform::ShownIcons)
{
}

BNodeInfo::BNodeInfo(BNode* node) :
	BNodeInfo()
{
	SetTo(node);
}

BNodeInfo::~BNodeInfo()
{
}

status_t BNodeInfo::InitCheck() const
{
	return fStatus;
}

status_t BNodeInfo::SetTo(BNode* node)
{
	fNode = NULL;
	if (node == NULL || node->InitCheck() != B_OK)
		return fStatus = B_BAD_VALUE;
	fNode = node;
	return fStatus = B_OK;
}

status_t BNodeInfo::GetType(char* type) const
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (type == NULL)
		return B_BAD_VALUE;
	char buffer[B_MIME_TYPE_LENGTH];
	ssize_t length = fNode->ReadAttr(kTypeAttr, B_MIME_STRING_TYPE, 0, buffer, sizeof(buffer));
	if (length < 0)
		return status_t(length);
	// Another program may have stored it without its NUL, or longer than a type can be.
	const void* nul = memchr(buffer, '\0', length);
	size_t end = nul != NULL ? static_cast<const char*>(nul) - buffer : size_t(length);
	if (end >= sizeof(buffer))
		end = sizeof(buffer) - 1;
	if (end == 0)
		return B_ENTRY_NOT_FOUND;
	memcpy(type, buffer, end);
	type[end] = '\0';
	return B_OK;
}

status_t BNodeInfo::GetIcon(BBitmap* icon, icon_size which) const
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (!IsIconSize(which) || !FitsIcon(icon, which))
		return B_BAD_VALUE;
	uint8 pixels[B_LARGE_ICON * B_LARGE_ICON];
	status_t status = ReadOwnIcon(fNode, which, pixels);
	if (status == B_OK)
		memcpy(icon->Bits(), pixels, which * which);
	return status;
}

status_t BNodeInfo::SetIcon(const BBitmap* icon, icon_size which)
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (!IsIconSize(which))
		return B_BAD_VALUE;
	if (icon != NULL && !FitsIcon(icon, which))
		return B_BAD_VALUE;
	const int32 size = which * which;
	uint8 pixels[B_LARGE_ICON * B_LARGE_ICON];
	if (icon != NULL)
		memcpy(pixels, icon->Bits(), size);
	// Whoever keeps a view of the icon changes it first: the file managers look again when
	// the attribute changes, and must find the new view then (see NodeIconObserver).
	platform::NodeIconObserver* observer = platform::InstalledNodeIconObserver();
	platform::IconChange change(Noticed(), which, icon != NULL ? pixels : NULL, fShown.get(),
		[this, which](uint8* stored) { return ReadStored(which, stored); });
	if (observer != NULL)
		observer->IconChanging(change);
	status_t status;
	if (icon == NULL) {
		// Asked for no own icon: one that is not there is already gone.
		status = fNode->RemoveAttr(IconAttr(which));
		if (status == B_ENTRY_NOT_FOUND)
			status = B_OK;
	} else {
		ssize_t written = fNode->WriteAttr(IconAttr(which), IconType(which), 0, pixels, size);
		status = written == size ? B_OK : written < 0 ? status_t(written) : B_IO_ERROR;
	}
	if (observer != NULL) {
		// The view never stays ahead of the attribute: it goes back to what the node holds.
		if (status != B_OK)
			TellStored(which);
		observer->IconSettled(change, status == B_OK);
	}
	return status;
}

status_t BNodeInfo::GetTrackerIcon(BBitmap* icon, icon_size which) const
{
	if (fStatus != B_OK)
		return B_NO_INIT;
	if (!IsIconSize(which) || !FitsIcon(icon, which))
		return B_BAD_VALUE;
	uint8 pixels[B_LARGE_ICON * B_LARGE_ICON];
	status_t status = ReadOwnIcon(fNode, which, pixels);
	if (status == B_OK) {
		memcpy(icon->Bits(), pixels, which * which);
		if (fShown != NULL && platform::InstalledNodeIconObserver() != NULL)
			fShown->Add(Noticed(), which, pixels, NULL);
		return B_OK;
	}
	if (!HasNoValue(status))
		return status;

	char type[B_MIME_TYPE_LENGTH];
	status = GetType(type);
	if (status != B_OK) {
		if (!HasNoValue(status))
			return status;
		platform::GetDesktopNodeType(
			fNode->fHandle.Descriptor(), fNode->fHandle.FileType(), fNode->fHandle.Path(), type);
	}
	status = platform::GetTypeIcon(type, which, pixels);
	if (status != B_OK)
		return status;
	memcpy(icon->Bits(), pixels, which * which);
	if (fShown != NULL && platform::InstalledNodeIconObserver() != NULL)
		fShown->Add(Noticed(), which, pixels, type);
	return B_OK;
}

platform::IconNode BNodeInfo::Noticed() const
{
	const platform::NodeHandle& handle = fNode->fHandle;
	return {handle.Descriptor(), handle.Device(), handle.Inode(), S_ISDIR(handle.FileType())};
}

bool BNodeInfo::ReadStored(icon_size which, uint8* pixels) const
{
	return ReadOwnIcon(fNode, which, pixels) == B_OK;
}

// After a failed change, the observer is told what the node holds after all, as a change
// over an icon it cannot know: its view may have moved on already.
void BNodeInfo::TellStored(icon_size which) const
{
	uint8 pixels[B_LARGE_ICON * B_LARGE_ICON];
	bool stored = ReadStored(which, pixels);
	platform::IconChange back(Noticed(), which, stored ? pixels : NULL, fShown.get(), nullptr);
	platform::InstalledNodeIconObserver()->IconChanging(back);
}
