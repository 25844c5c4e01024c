#ifndef APP_RUNNER_H
#define APP_RUNNER_H

#include <future>
#include <memory>
#include <string>
#include <vector>

#include "TestWindow.h"

namespace app_test {

// Runs Vellumark's application object on a thread of its own, as main would, with the given
// command line, on the headless host. Closes its main window at the end if it still runs.
class AppRunner {
public:
	explicit AppRunner(const std::vector<std::string>& commandLine = {"vellumark"});
	~AppRunner();

	// The main window, waited for the first time.
	testing_support::TestWindow& MainWindow();
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
