#ifndef APP_RUNNER_H
#define APP_RUNNER_H

#include <future>
#include <string>
#include <vector>

#include "host/headless/HeadlessHost.h"

namespace app_test {

// Runs Vellumark's application object on a thread of its own, as main would, with the given
// command line, on the headless host. Closes its main window at the end if it still runs.
class AppRunner {
public:
	explicit AppRunner(const std::vector<std::string>& commandLine = {"vellumark"});
	~AppRunner();

	platform::HeadlessHost& Host() const { return platform::HeadlessHost::Instance(); }
	// The main window's id; waits for it to open.
	platform::host_window_id MainWindow() { return Host().WaitForWindow("Vellumark"); }
	// Whether Run() returned (and the application was deleted) within the time.
	bool Finished(int timeoutMs = 10000)
	{
		return fDone.wait_for(std::chrono::milliseconds(timeoutMs)) == std::future_status::ready;
	}

private:
	std::future<void> fDone;
};

}  // namespace app_test

#endif
