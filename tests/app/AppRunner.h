#ifndef APP_RUNNER_H
#define APP_RUNNER_H

#include <stdio.h>
#include <stdlib.h>

#include <future>
#include <memory>

#include "CMainApp.h"
#include "TestWindow.h"
#include "app/LaunchArguments.h"

namespace app_test {

// Runs Vellumark's application object on a thread of its own, as main would, with the given
// command line, on the headless host. Closes its main window at the end if it still runs.
class AppRunner {
public:
	explicit AppRunner(const std::vector<std::string>& commandLine = {"vellumark"})
	{
		platform::LaunchArguments::Set(commandLine);
		fDone = std::async(std::launch::async, [] {
			CMainApp* app = new CMainApp(kAppSignature);
			app->Run();
			delete app;
		});
	}
	~AppRunner()
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

	// The main window, waited for the first time.
	testing_support::TestWindow& MainWindow()
	{
		if (!fMainWindow)
			fMainWindow = std::make_unique<testing_support::TestWindow>("Vellumark");
		return *fMainWindow;
	}
	// Whether Run() returned (and the application was deleted) within the time.
	bool Finished(int timeoutMs = 10000)
	{
		return fDone.wait_for(std::chrono::milliseconds(timeoutMs)) == std::future_status::ready;
	}

private:
	std::future<void> fDone;
	std::unique_ptr<testing_support::TestWindow> fMainWindow;
};

}  // namespace app_test

#endif
