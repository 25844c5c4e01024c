#ifndef E2E_SESSION_H
#define E2E_SESSION_H

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <sstream>

#include "TestSupport.h"

namespace e2e {

using namespace testing_support;

const char* const kProgram = VELLUMARK_BINARY_DIR "/vellumark";

// A program a test starts (argv[0] searched on PATH), its standard output and error kept in
// files; killed and reaped on destruction. Each env entry, "NAME=value" or "NAME=" to remove
// the variable, changes the test's own environment for it.
class Child {
public:
	Child(const std::vector<std::string>& argv, const std::vector<std::string>& env = {})
	{
		// Through sh, for the streams, and env(1), which takes removals before settings.
		std::vector<std::string> all = {
			"sh", "-c", "exec env \"$@\" </dev/null >" + fOut + " 2>" + fErr, "sh"};
		for (const std::string& change : env) {
			if (change.back() == '=')
				all.insert(all.begin() + 4, {"-u", change.substr(0, change.size() - 1)});
			else
				all.push_back(change);
		}
		all.insert(all.end(), argv.begin(), argv.end());
		std::vector<char*> args;
		for (const std::string& arg : all)
			args.push_back(const_cast<char*>(arg.c_str()));
		args.push_back(NULL);
		if (posix_spawnp(&fPid, "sh", NULL, NULL, args.data(), environ) != 0)
			fPid = -1;
	}

	~Child()
	{
		if (fPid > 0 && Running()) {
			kill(fPid, SIGKILL);
			Wait();
		}
	}

	// The exit code, or 128 + the signal; -1 while it still runs after the timeout.
	int Wait(std::chrono::milliseconds timeout = std::chrono::seconds(10))
	{
		WaitUntil(
			[&] {
				int raw = 0;
				if (fStatus < 0 && fPid > 0 && waitpid(fPid, &raw, WNOHANG) == fPid)
					fStatus = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
				return fStatus >= 0 || fPid <= 0;
			},
			timeout);
		return fStatus;
	}

	bool Running() { return Wait(std::chrono::milliseconds(0)) < 0; }
	std::string Out() const { return ReadFile(fOut); }
	std::string Err() const { return ReadFile(fErr); }

private:
	TempDir fFiles;  // of the streams
	std::string fOut = fFiles.Join("out");
	std::string fErr = fFiles.Join("err");
	pid_t fPid = -1;
	int fStatus = -1;
};

// Each screen grab opens an X connection and each xdotool run is a process: waits on them ask
// less often.
inline bool Eventually(const std::function<bool()>& pred, int seconds = 5)
{
	return WaitUntil(pred, std::chrono::seconds(seconds), std::chrono::milliseconds(50));
}

// What a program needs to come up on the X display.
inline std::vector<std::string> OnDisplay(const std::string& display)
{
	return {"DISPLAY=" + display, "WAYLAND_DISPLAY=", "GDK_BACKEND=x11"};
}

// The non-empty lines of a text.
inline std::vector<std::string> Lines(const std::string& text)
{
	std::vector<std::string> lines;
	std::istringstream stream(text);
	for (std::string line; std::getline(stream, line);) {
		if (!line.empty())
			lines.push_back(line);
	}
	return lines;
}

inline bool HaveProgram(const std::string& name)
{
	return Child({"sh", "-c", "command -v " + name}).Wait() == 0;
}

// An end-to-end test on a display of its own: an Xvfb on a display number that the server
// picks itself (so that tests side by side never meet), with a black screen, and the built
// program on it through the GTK host. Skips when the X tools are missing.
class Session : public ::testing::Test {
protected:
	void SetUp() override
	{
		for (const char* tool : {"Xvfb", "xdotool"}) {
			if (!HaveProgram(tool))
				GTEST_SKIP() << tool << " is not installed (scripts/setup installs it)";
		}
		// Xvfb writes the display number it chose to its output once it takes clients.
		fServer.reset(new Child({"Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24",
			"-nolisten", "tcp", "-noreset", "-br"}));
		ASSERT_TRUE(WaitUntil([&] { return fServer->Out().find('\n') != std::string::npos; },
			std::chrono::seconds(10)))
			<< "Xvfb did not start: " << fServer->Err();
		fDisplay = ":" + Lines(fServer->Out())[0];
		fEnv = OnDisplay(fDisplay);
	}

	// Starts the program and waits for its main window.
	void Launch()
	{
		fProgram.reset(new Child({kProgram}, fEnv));
		std::vector<std::string> found =
			Lines(Xdotool("search --sync --onlyvisible --maxdepth 1 --name ^Vellumark$"));
		ASSERT_EQ(found.size(), 1u) << "no window titled Vellumark: " << fProgram->Err();
		fMain = std::stoul(found[0]);
	}

	// Runs one xdotool command line (pointer and keys through XTEST, as a user's hands; the
	// windows on the screen) and returns what it printed.
	std::string Xdotool(const std::string& command)
	{
		Child xdotool({"sh", "-c", "exec xdotool " + command}, fEnv);
		xdotool.Wait(std::chrono::seconds(20));
		return xdotool.Out();
	}

	// What the screen shows, 0xRRGGBB, rows from the top.
	std::vector<uint32_t> Grab(int x, int y, int width, int height);
	// In the main window, whose content area is at (100, 100) on the screen; and whether it
	// shows the colour there within a few seconds.
	uint32_t Pixel(int x, int y) { return Grab(100 + x, 100 + y, 1, 1).at(0); }
	bool Shows(int x, int y, uint32_t colour)
	{
		return Eventually([&] { return Pixel(x, y) == colour; });
	}
	void SendCloseRequest(unsigned long window);  // WM_DELETE_WINDOW: the close box

	std::unique_ptr<Child> fServer;
	std::string fDisplay;
	std::vector<std::string> fEnv;  // of a program on the display
	std::unique_ptr<Child> fProgram;
	unsigned long fMain = 0;
};

}  // namespace e2e

#endif
