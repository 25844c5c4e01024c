#include "ProcessFile.h"

#include <Message.h>

#include <stdio.h>

#include <new>

#include "DroppedItem.h"

namespace {

void SetIcon(DroppedItem* item)
{
	if (!item->LoadItemIcon())
		return;
	if (!item->LoadFolderIcons())
		return;
	item->ComposeIcons();
	item->WriteIcons();
}

void ClearIcon(DroppedItem* item)
{
	if (item->IsDirectory()) {
		item->AssignNode();
		item->ClearIcons();
	} else if (item->LoadFolderIcons()) {
		item->ClearIcons();
	}
}

}  // namespace

void ProcessFile(BMessage* message)
{
	int32 operation = kSetIconOperation;
	if (message->HasInt32("FileDropID", 0))
		message->FindInt32("FileDropID", &operation);

	DroppedItem* item = new (std::nothrow) DroppedItem(message);
	if (item == NULL)
		return;

	switch (operation) {
		case kSetIconOperation:
			SetIcon(item);
			break;
		case kClearIconOperation:
			ClearIcon(item);
			break;
		default:
			printf("ProcessFile a merde dans le switch.\n");
			break;
	}

	delete item;
	// The lines are the only report of a failure: make sure they reach a pipe or a log at
	// once, not when the program ends.
	fflush(stdout);
}
