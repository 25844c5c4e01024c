#include "CMainApp.h"

#include <Alert.h>
#include <Message.h>

#include <string.h>

#include "CMainWindow.h"

const char* const kAppSignature = "application/x-Vellumark";

namespace {

const char* kAuthorEmail = "vellumark@example.org";

}  // namespace

CMainApp::CMainApp(const char* signature) :
	BApplication(signature),
	fMainWindow(NULL)
{
	fMainWindow = new CMainWindow();
	fMainWindow->Show();
}

CMainApp::~CMainApp()
{
}

void CMainApp::RefsReceived(BMessage* message)
{
	if (!message->HasRef("refs", 0))
		return;

	fMainWindow->ProcessFile(message);
	fMainWindow->QuitRequested();
}

void CMainApp::AboutRequested()
{
	char versionLine[80];
	char mailLine[80];
	char text[240];
	strcpy(versionLine, "Vellumark 1.5\n\n");
	strcpy(mailLine, "e-mail: ");
	strcat(mailLine, kAuthorEmail);
	text[0] = '\0';
	strcat(text, versionLine);
	strcat(text, mailLine);

	BAlert* alert = new BAlert("", text, "OK", NULL, NULL, B_WIDTH_AS_USUAL, B_INFO_ALERT);
	alert->SetShortcut(0, B_ENTER);
	alert->Go();
}
