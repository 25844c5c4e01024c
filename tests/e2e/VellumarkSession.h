#ifndef E2E_VELLUMARK_SESSION_H
#define E2E_VELLUMARK_SESSION_H

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "XScreen.h"
#include "XvfbServer.h"

namespace e2e {

// Every end-to-end test: its own Xvfb, the built program started on it with the GTK host,
// and a client connection that looks at the screen. Skips when the X tools are missing.
class VellumarkSession : public ::testing::Test {
protected:
	void SetUp() override;
	void TearDown() override;

	// Starts build/vellumark with the arguments and waits for its main window.
	void Launch(const std::vector<std::string>& arguments = {});
	bool WaitForMainWindow();

	// Pointer and keys through XTEST, as a user's own hands would; window coordinates are
	// those of the main window's content area.
	void MoveTo(int windowX, int windowY);
	void ClickAt(int windowX, int windowY);
	void PressKey(const std::string& keyName);
	int Xdotool(const std::vector<std::string>& arguments);

	Rgb WindowPixel(int windowX, int windowY);
	// Whether the pixel shows the colour within a few seconds (drawing is asynchronous).
	bool WindowShows(int windowX, int windowY, Rgb colour);
	// Windows of the program other than the main window (the about box).
	std::vector<TopWindow> OtherProgramWindows();

	static std::string ProgramPath();

	std::unique_ptr<XvfbServer> fServer;
	std::unique_ptr<XScreen> fScreen;
	std::unique_ptr<ChildProcess> fProgram;
	TopWindow fMainWindow;
};

}  // namespace e2e

#endif
