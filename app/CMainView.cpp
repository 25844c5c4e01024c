#include "CMainView.h"

#include <Message.h>

#include "CFileDropBox.h"
#include "CFlatButton.h"
#include "CMainWindow.h"
#include "ProcessFile.h"

namespace {

const rgb_color kViewColor = {216, 216, 216, 255};
const uint32 kButtonResizingMode = 1;

}  // namespace

CMainView::CMainView(BRect frame, const char* name, uint32 resizingMode, uint32 flags) :
	BView(frame, name, resizingMode, flags),
	fSetBox(NULL),
	fClearBox(NULL),
	fAboutButton(NULL),
	fQuitButton(NULL)
{
	SetViewColor(kViewColor);

	BMessage* aboutMessage = new BMessage(kAboutCommand);
	fAboutButton = new CFlatButton(BRect(10, 10, 90, 30), "About", "About\xE2\x80\xA6",
		aboutMessage, false, CFlatButton::kAlignCenter, kButtonResizingMode, B_WILL_DRAW);
	BMessage* quitMessage = new BMessage(kQuitCommand);
	fQuitButton = new CFlatButton(BRect(10, 40, 90, 60), "Quit", "Quit", quitMessage, false,
		CFlatButton::kAlignCenter, kButtonResizingMode, B_WILL_DRAW);
	AddChild(fAboutButton, NULL);
	AddChild(fQuitButton, NULL);

	fSetBox = new CFileDropBox(BRect(100, 10, 180, 60), "SetBox", "Set icon", kSetIconOperation);
	fClearBox =
		new CFileDropBox(BRect(190, 10, 270, 60), "ClrBox", "Clear icon", kClearIconOperation);
	AddChild(fSetBox, NULL);
	AddChild(fClearBox, NULL);
}

CMainView::~CMainView()
{
}

void CMainView::MessageReceived(BMessage* message)
{
	if (!message->WasDropped())
		return;
	if (!message->HasRef("refs", 0))
		return;
	if (!message->HasInt32("FileDropID", 0))
		return;

	static_cast<CMainWindow*>(Window())->ProcessFile(message);
}
