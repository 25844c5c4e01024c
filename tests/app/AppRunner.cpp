#include "AppRunner.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <chrono>

#include "CMainApp.h"
#include "app/LaunchArguments.h"

namespace app_test {

AppRunner::AppRunner(const std::vector<std::string>& commandLine) :
	fMainWindow(-1)
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
	if (!Finished(0)) {
		platform::host_window_id id = MainWindow();
		if (id >= 0)
			Host().InjectClose(id);
		if (!Finished(10000)) {
			// A hung application would hang every later test too.
			fprintf(stderr, "the application did not quit; giving up\n");
			abort();
		}
	}
	platform::LaunchArguments::Reset();
}

platform::host_window_id AppRunner::MainWindow()
{
	if (fMainWindow < 0 || !Host().IsOpen(fMainWindow))
		fMainWindow = Host().WaitForWindow("Vellumark");
	return fMainWindow;
}

bool AppRunner::Finished(int timeoutMs)
{
	return fDone.wait_for(std::chrono::milliseconds(timeoutMs)) == std::future_status::ready;
}

}  // namespace app_test
