#include "VellumarkSession.h"

#include <unistd.h>

#include "TestSupport.h"

namespace e2e {

using std::chrono::milliseconds;

void VellumarkSession::SetUp()
{
	for (const char* tool : {"Xvfb", "xdotool"}) {
		if (!HaveProgram(tool))
			GTEST_SKIP() << tool << " is not installed (scripts/setup installs it)";
	}
	if (access(ProgramPath().c_str(), X_OK) != 0)
		GTEST_SKIP() << "the program is not built: " << ProgramPath();

	fServer = std::make_unique<XvfbServer>();
	ASSERT_TRUE(fServer->Start()) << "Xvfb did not start";
	fScreen = std::make_unique<XScreen>(fServer->Name());
	ASSERT_TRUE(fScreen->IsOpen()) << "cannot connect to " << fServer->Name();
}

void VellumarkSession::TearDown()
{
	fProgram.reset();
	fScreen.reset();
	fServer.reset();
}

void VellumarkSession::Launch(const std::vector<std::string>& arguments)
{
	std::vector<std::string> argv = {ProgramPath()};
	argv.insert(argv.end(), arguments.begin(), arguments.end());
	fProgram = std::make_unique<ChildProcess>();
	ASSERT_TRUE(fProgram->Start(
		argv, {"DISPLAY=" + fServer->Name(), "WAYLAND_DISPLAY=", "GDK_BACKEND=x11"}));
}

bool VellumarkSession::WaitForMainWindow()
{
	return testing_support::WaitUntil(
		[this] { return fScreen->FindWindow("Vellumark", &fMainWindow); }, milliseconds(10000));
}

void VellumarkSession::MoveTo(int windowX, int windowY)
{
	Xdotool({"mousemove", std::to_string(fMainWindow.x + windowX),
		std::to_string(fMainWindow.y + windowY)});
}

void VellumarkSession::ClickAt(int windowX, int windowY)
{
	MoveTo(windowX, windowY);
	usleep(100000);
	Xdotool({"click", "1"});
}

void VellumarkSession::PressKey(const std::string& keyName)
{
	Xdotool({"key", keyName});
}

int VellumarkSession::Xdotool(const std::vector<std::string>& arguments)
{
	std::vector<std::string> argv = {"xdotool"};
	argv.insert(argv.end(), arguments.begin(), arguments.end());
	return RunTool(argv, fServer->Name());
}

Rgb VellumarkSession::WindowPixel(int windowX, int windowY)
{
	return fScreen->PixelAt(fMainWindow.x + windowX, fMainWindow.y + windowY);
}

bool VellumarkSession::WindowShows(int windowX, int windowY, Rgb colour)
{
	return testing_support::WaitUntil(
		[&] { return WindowPixel(windowX, windowY) == colour; }, milliseconds(3000));
}

std::vector<TopWindow> VellumarkSession::OtherProgramWindows()
{
	std::vector<TopWindow> others;
	for (const TopWindow& window : fScreen->Toplevels("vellumark")) {
		if (window.id != fMainWindow.id)
			others.push_back(window);
	}
	return others;
}

std::string VellumarkSession::ProgramPath()
{
	return std::string(VELLUMARK_BINARY_DIR) + "/vellumark";
}

}  // namespace e2e
