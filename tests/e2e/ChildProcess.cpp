#include "ChildProcess.h"

#include "TestSupport.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <sstream>
#include <thread>

extern char** environ;

namespace e2e {

namespace {

std::string MakeTempFile(const char* tag)
{
	std::string pattern = std::string("/tmp/vellumark-e2e-") + tag + "-XXXXXX";
	std::vector<char> name(pattern.begin(), pattern.end());
	name.push_back('\0');
	int fd = mkstemp(name.data());
	if (fd >= 0)
		close(fd);
	return name.data();
}

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& changes)
{
	std::map<std::string, std::string> variables;
	for (char** entry = environ; *entry != NULL; entry++) {
		std::string text = *entry;
		size_t equals = text.find('=');
		if (equals != std::string::npos)
			variables[text.substr(0, equals)] = text.substr(equals + 1);
	}
	for (const std::string& change : changes) {
		size_t equals = change.find('=');
		std::string name = change.substr(0, equals);
		std::string value = equals == std::string::npos ? "" : change.substr(equals + 1);
		if (value.empty())
			variables.erase(name);
		else
			variables[name] = value;
	}
	std::vector<std::string> merged;
	for (const auto& [name, value] : variables)
		merged.push_back(name + "=" + value);
	return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& strings)
{
	std::vector<char*> pointers;
	for (std::string& text : strings)
		pointers.push_back(text.data());
	pointers.push_back(NULL);
	return pointers;
}

}  // namespace

ChildProcess::ChildProcess() :
	fPid(-1),
	fReaped(true),
	fStatus(-1)
{
}

ChildProcess::~ChildProcess()
{
	Kill();
	unlink(fStdoutFile.c_str());
	unlink(fStderrFile.c_str());
}

bool ChildProcess::Start(const std::vector<std::string>& argv, const std::vector<std::string>& env)
{
	fStdoutFile = MakeTempFile("out");
	fStderrFile = MakeTempFile("err");
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
	posix_spawn_file_actions_addopen(&actions, 1, fStdoutFile.c_str(), O_WRONLY | O_TRUNC, 0);
	posix_spawn_file_actions_addopen(&actions, 2, fStderrFile.c_str(), O_WRONLY | O_TRUNC, 0);

	std::vector<std::string> arguments = argv;
	std::vector<std::string> environment = MergedEnvironment(env);
	std::vector<char*> argPointers = Pointers(arguments);
	std::vector<char*> envPointers = Pointers(environment);
	int error =
		posix_spawnp(&fPid, argPointers[0], &actions, NULL, argPointers.data(), envPointers.data());
	posix_spawn_file_actions_destroy(&actions);
	if (error != 0) {
		fPid = -1;
		return false;
	}
	fReaped = false;
	return true;
}

bool ChildProcess::WaitForExit(std::chrono::milliseconds timeout, int* status)
{
	auto deadline = std::chrono::steady_clock::now() + timeout;
	while (!fReaped) {
		int raw = 0;
		pid_t done = waitpid(fPid, &raw, WNOHANG);
		if (done == fPid) {
			fReaped = true;
			fStatus = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
			break;
		}
		if (done < 0 || std::chrono::steady_clock::now() > deadline)
			return false;
		std::this_thread::sleep_for(std::chrono::milliseconds(10));
	}
	if (status != NULL)
		*status = fStatus;
	return fPid > 0;
}

bool ChildProcess::IsRunning()
{
	return !WaitForExit(std::chrono::milliseconds(0), NULL) && !fReaped;
}

void ChildProcess::Kill()
{
	if (fReaped || fPid <= 0)
		return;
	kill(fPid, SIGKILL);
	WaitForExit(std::chrono::seconds(5), NULL);
}

std::string ChildProcess::Stdout() const
{
	return testing_support::ReadFile(fStdoutFile);
}

std::string ChildProcess::Stderr() const
{
	return testing_support::ReadFile(fStderrFile);
}

int RunTool(const std::vector<std::string>& argv, const std::string& display, std::string* output)
{
	ChildProcess tool;
	if (!tool.Start(argv, {"DISPLAY=" + display}))
		return -1;
	int status = -1;
	if (!tool.WaitForExit(std::chrono::seconds(20), &status))
		return -1;
	if (output != NULL)
		*output = tool.Stdout();
	return status;
}

bool HaveProgram(const std::string& name)
{
	const char* path = getenv("PATH");
	std::stringstream folders(path != NULL ? path : "/usr/bin:/bin");
	std::string folder;
	while (std::getline(folders, folder, ':')) {
		if (!folder.empty() && access((folder + "/" + name).c_str(), X_OK) == 0)
			return true;
	}
	return false;
}

std::vector<std::string> Lines(const std::string& text)
{
	std::vector<std::string> lines;
	std::stringstream stream(text);
	std::string line;
	while (std::getline(stream, line)) {
		if (!line.empty())
			lines.push_back(line);
	}
	return lines;
}

}  // namespace e2e
