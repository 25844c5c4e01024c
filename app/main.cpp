#include "CMainApp.h"

int main()
{
	CMainApp* app = new CMainApp(kAppSignature);
	app->Run();
	delete app;
	return 0;
}
