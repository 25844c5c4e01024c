#include "AppRunner.h"

#include <stdio.h>
#include <stdlib.h>

#include "CMainApp.h"
#include "app/LaunchArguments.h"

namespace app_test {

AppRunner::AppRunner(const std::vector<std::string>& commandLine)
{
	platform::LaunchArguments::Set(commandLine);
	fDone = std::async(std::launch::async, [] {
		CMainApp* app = new CMainApp(kAppSignature);
		app->Run();
		delete app;
	});
}

AppRunner::~AppRunner()
{
	if (!Finished(0))
		MainWindow().Close();
	if (!Finished()) {
		// A hung application would hang every later test too.
		fprintf(stderr, "the application did not quit; giving up\n");
		abort();
	}
	platform::LaunchArguments::Reset();
}

testing_support::TestWindow& AppRunner::MainWindow()
{
	if (!fMainWindow)
		fMainWindow = std::make_unique<testing_support::TestWindow>("Vellumark");
	return *fMainWindow;
}

}  // namespace app_test
