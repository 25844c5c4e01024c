#include "CMainWindow.h"

#include <Application.h>
#include <Message.h>

#include "CMainView.h"
#include "ProcessFile.h"

namespace {

const BRect kWindowFrame(100, 100, 380, 170);

}  // namespace

CMainWindow::CMainWindow() :
	BWindow(kWindowFrame, "Vellumark", B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, B_NOT_RESIZABLE,
		B_CURRENT_WORKSPACE),
	fMainView(NULL)
{
	fMainView = new CMainView(Bounds(), "", B_FOLLOW_NONE, B_WILL_DRAW);
	AddChild(fMainView, NULL);
}

CMainWindow::~CMainWindow()
{
}

void CMainWindow::MessageReceived(BMessage* message)
{
	switch (message->what) {
		case kAboutCommand:
			be_app->PostMessage(B_ABOUT_REQUESTED);
			break;
		case kQuitCommand:
			be_app->PostMessage(B_QUIT_REQUESTED);
			break;
		default:
			BWindow::MessageReceived(message);
			break;
	}
}

bool CMainWindow::QuitRequested()
{
	be_app->PostMessage(B_QUIT_REQUESTED);
	return true;
}

void CMainWindow::ProcessFile(BMessage* message)
{
	::ProcessFile(message);
}
