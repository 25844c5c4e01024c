#include "DroppedItem.h"

#include <Bitmap.h>
#include <Directory.h>
#include <GraphicsDefs.h>
#include <Message.h>

#include <stdio.h>

#include <new>

#include "IconCompositing.h"

DroppedItem::DroppedItem(BMessage* message) :
	fOK(false),
	fItemMiniIcon(NULL),
	fFolderLargeIcon(NULL),
	fFolderMiniIcon(NULL)
{
	fOK = message->FindRef("refs", &fRef) == B_OK;
}

DroppedItem::~DroppedItem()
{
	delete fItemMiniIcon;
	delete fFolderMiniIcon;
	delete fFolderLargeIcon;
}

bool DroppedItem::IsDirectory()
{
	BDirectory directory;
	return directory.SetTo(&fRef) == B_OK;
}

bool DroppedItem::LoadItemIcon()
{
	if (fNode.SetTo(&fRef) != B_OK)
		return false;
	if (fNodeInfo.SetTo(&fNode) != B_OK)
		return false;

	fOK = ReadTrackerIcon(&fItemMiniIcon, B_MINI_ICON);
	return fOK;
}

bool DroppedItem::LoadFolderIcons()
{
	// An entry that is no longer there is no file of that folder: a folder dropped on Clear
	// icon and deleted or renamed before the drop would otherwise clear the one that held it.
	// A node already open on the entry (Set icon) has shown that it is there.
	const bool seen = fNode.InitCheck() == B_OK;
	BEntry entry;
	if (entry.SetTo(&fRef, false) != B_OK || (!seen && !entry.Exists())
		|| entry.GetParent(&entry) != B_OK || fNode.SetTo(&entry) != B_OK
		|| fNodeInfo.SetTo(&fNode) != B_OK)
		return false;

	// Both reads are made, so that a failure of either is seen only after both were tried.
	bool miniRead = ReadTrackerIcon(&fFolderMiniIcon, B_MINI_ICON);
	bool largeRead = ReadTrackerIcon(&fFolderLargeIcon, B_LARGE_ICON);
	fOK = miniRead && largeRead;
	return fOK;
}

void DroppedItem::AssignNode()
{
	if (fNode.SetTo(&fRef) != B_OK)
		return;
	if (fNodeInfo.SetTo(&fNode) != B_OK)
		printf("AssignNode: ca deconne au nodeInfo.\n");
}

void DroppedItem::ComposeIcons()
{
	const uint8* item = static_cast<const uint8*>(fItemMiniIcon->Bits());
	ComposeLargeIcon(item, static_cast<uint8*>(fFolderLargeIcon->Bits()), B_TRANSPARENT_8_BIT);
	ComposeMiniIcon(item, static_cast<uint8*>(fFolderMiniIcon->Bits()), B_TRANSPARENT_8_BIT);
}

void DroppedItem::WriteIcons()
{
	if (fNodeInfo.SetIcon(fFolderLargeIcon, B_LARGE_ICON) != B_OK)
		printf("Set large icon failed.\n");
	if (fNodeInfo.SetIcon(fFolderMiniIcon, B_MINI_ICON) != B_OK)
		printf("Set mini icon failed.\n");
}

void DroppedItem::ClearIcons()
{
	if (fNodeInfo.SetIcon(NULL, B_LARGE_ICON) != B_OK)
		printf("Merdoiement au clear du large icon.\n");
	if (fNodeInfo.SetIcon(NULL, B_MINI_ICON) != B_OK)
		printf("Merdoiement au clear du mini icon.\n");
}

BBitmap* DroppedItem::NewIcon(icon_size size)
{
	BRect bounds(0, 0, size - 1, size - 1);
	BBitmap* icon = new (std::nothrow) BBitmap(bounds, B_COLOR_8_BIT, false, false);
	if (icon != NULL && icon->InitCheck() != B_OK) {
		delete icon;
		icon = NULL;
	}
	return icon;
}

// Creates the bitmap into *icon and fills it with the icon the file manager shows. A bitmap
// that cannot be made counts as a failed read: nothing is composed or stored without it.
bool DroppedItem::ReadTrackerIcon(BBitmap** icon, icon_size size)
{
	*icon = NewIcon(size);
	if (*icon == NULL)
		return false;
	return fNodeInfo.GetTrackerIcon(*icon, size) == B_OK;
}
