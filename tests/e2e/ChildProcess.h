#ifndef E2E_CHILD_PROCESS_H
#define E2E_CHILD_PROCESS_H

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace e2e {

// A program started by a test, with its standard output and error kept in files. Killed and
// reaped on destruction if it is still running.
class ChildProcess {
public:
	ChildProcess();
	~ChildProcess();

	// argv[0] is searched on PATH; env entries ("NAME=value", or "NAME=" to remove one)
	// change the test's own environment for the child.
	bool Start(const std::vector<std::string>& argv, const std::vector<std::string>& env = {});
	// The exit code, or 128 + the signal; false if it still runs after timeout.
	bool WaitForExit(std::chrono::milliseconds timeout, int* status);
	bool IsRunning();
	void Kill();
	pid_t Pid() const { return fPid; }

	std::string Stdout() const;
	std::string Stderr() const;

private:
	ChildProcess(const ChildProcess&) = delete;
	ChildProcess& operator=(const ChildProcess&) = delete;

	pid_t fPid;
	bool fReaped;
	int fStatus;
	std::string fStdoutFile;
	std::string fStderrFile;
};

// Runs a tool to its end (at most 20 s) on the given X display; its exit code, -1 if it
// could not run or did not end.
int RunTool(
	const std::vector<std::string>& argv, const std::string& display, std::string* output = NULL);

// Whether a program of that name is on PATH.
bool HaveProgram(const std::string& name);

// The non-empty lines of a text.
std::vector<std::string> Lines(const std::string& text);

}  // namespace e2e

#endif
