#ifndef C_FILE_DROP_BOX_H
#define C_FILE_DROP_BOX_H

#include "CFlatButton.h"

// A flat button that files are dropped on. It shows pressed while a drag carrying entry
// references is over it, ignores clicks, and tags every dropped message with its name and
// operation number before the message goes on to the parent view.
class CFileDropBox : public CFlatButton {
public:
	CFileDropBox(BRect frame, const char* name, const char* label, int32 dropID);
	virtual ~CFileDropBox();

	virtual void MessageReceived(BMessage* message);
	virtual void MouseDown(BPoint where);
	virtual void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage);

private:
	int32 fDropID;
};

#endif
