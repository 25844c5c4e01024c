#ifndef E2E_SESSION_H
#define E2E_SESSION_H

#include <gtest/gtest.h>

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"

typedef struct _XDisplay Display;

namespace e2e {

// A program a test starts (argv[0] searched on PATH), its standard output and error kept in
// files; killed and reaped on destruction. Each env entry, "NAME=value" or "NAME=" to remove
// the variable, changes the test's own environment for it.
class Child {
public:
	Child(const std::vector<std::string>& argv, const std::vector<std::string>& env = {});
	~Child();
	// The exit code, or 128 + the signal; -1 while it still runs after the timeout.
	int Wait(std::chrono::milliseconds timeout = std::chrono::seconds(10));
	bool Running() { return Wait(std::chrono::milliseconds(0)) < 0; }
	std::string Out() const { return testing_support::ReadFile(fOut); }
	std::string Err() const { return testing_support::ReadFile(fErr); }

private:
	pid_t fPid = -1;
	int fStatus = -1;
	std::string fOut;
	std::string fErr;
};

std::vector<std::string> Lines(const std::string& text);  // the non-empty ones
bool HaveProgram(const std::string& name);  // on PATH
const char* const kProgram = VELLUMARK_BINARY_DIR "/vellumark";

// An end-to-end test on a display of its own: an Xvfb on a display number that the server
// picks itself (so that tests side by side never meet), a client connection of the test's
// that looks at the screen, and the built program on it through the GTK host. Skips when
// the X tools are missing.
class Session : public ::testing::Test {
protected:
	void SetUp() override;
	// Starts the program with the arguments and waits for its main window.
	void Launch(const std::vector<std::string>& arguments = {});
	// Runs one xdotool command line (pointer and keys through XTEST, as a user's hands; the
	// windows on the screen) and returns what it printed.
	std::string Xdotool(const std::string& command);
	// What the screen shows, 0xRRGGBB, rows from the top.
	std::vector<uint32_t> Grab(int x, int y, int width, int height);
	// In the main window, whose content area is at (100, 100) on the screen; and whether it
	// shows the colour there within a few seconds.
	uint32_t Pixel(int x, int y) { return Grab(100 + x, 100 + y, 1, 1).at(0); }
	bool Shows(int x, int y, uint32_t colour)
	{
		return testing_support::WaitUntil([&] { return Pixel(x, y) == colour; });
	}
	void SendCloseRequest(unsigned long window);  // WM_DELETE_WINDOW: the close box

	std::unique_ptr<Child> fServer;
	std::unique_ptr<Display, int (*)(Display*)> fX{nullptr, nullptr};
	std::vector<std::string> fEnv;  // of a program on the display
	std::unique_ptr<Child> fProgram;
	unsigned long fMain = 0;
};

}  // namespace e2e

#endif
