#include "CFileDropBox.h"

#include <Message.h>

CFileDropBox::CFileDropBox(BRect frame, const char* name, const char* label, int32 dropID) :
	CFlatButton(frame, name, label, NULL, false, kAlignCenter, 1, B_WILL_DRAW),
	fDropID(dropID)
{
}

CFileDropBox::~CFileDropBox()
{
}

void CFileDropBox::MessageReceived(BMessage* message)
{
	if (message->WasDropped()) {
		SetState(kFlat);
		message->AddString("FileDropName", Name());
		message->AddInt32("FileDropID", fDropID);
	}
	BControl::MessageReceived(message);
}

void CFileDropBox::MouseDown(BPoint /*where*/)
{
}

void CFileDropBox::MouseMoved(BPoint /*where*/, uint32 transit, const BMessage* dragMessage)
{
	if (dragMessage == NULL || transit == B_INSIDE_VIEW)
		return;
	if (!dragMessage->HasRef("refs", 0))
		return;

	if (transit == B_ENTERED_VIEW)
		SetState(kPressed);
	else if (transit == B_EXITED_VIEW)
		SetState(kFlat);
}
