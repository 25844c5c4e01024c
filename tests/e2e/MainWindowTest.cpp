// The program on a real X server through the GTK host: what a user sees and does.

#include <sys/stat.h>
#include <unistd.h>

#include "TestSupport.h"
#include "VellumarkSession.h"

namespace e2e {

using std::chrono::milliseconds;
using testing_support::WaitUntil;

namespace {

const Rgb kViewColour = {216, 216, 216};
const Rgb kBase = {217, 217, 217};
const Rgb kInk = {0, 0, 0};
const Rgb kDim = {151, 151, 151};
const Rgb kInnerFrame = {240, 240, 240};
const Rgb kHighlight = {255, 255, 255};

// The About button's frame is (10, 10, 90, 30); its label lies in the middle, so the edge
// columns at y = 20 show the frame and bevels alone.
const int kAboutX = 50;
const int kAboutY = 20;

}  // namespace

class MainWindowOnX : public VellumarkSession {
protected:
	void SetUp() override
	{
		VellumarkSession::SetUp();
		if (IsSkipped() || HasFatalFailure())
			return;
		Launch();
		ASSERT_TRUE(WaitForMainWindow())
			<< "no window titled Vellumark; stderr: " << fProgram->Stderr();
	}
};

TEST_F(MainWindowOnX, MapsAtItsFrameInTheViewColourAndHoverRaisesAButton)
{
	EXPECT_EQ(100, fMainWindow.x);
	EXPECT_EQ(100, fMainWindow.y);
	EXPECT_EQ(281, fMainWindow.width);
	EXPECT_EQ(71, fMainWindow.height);
	for (const auto& [x, y] : {std::pair{5, 5}, std::pair{95, 35}, std::pair{280, 70}})
		EXPECT_TRUE(WindowShows(x, y, kViewColour)) << WindowPixel(x, y);

	MoveTo(kAboutX, kAboutY);
	EXPECT_TRUE(WindowShows(10, kAboutY, kHighlight)) << WindowPixel(10, kAboutY);
	EXPECT_TRUE(WindowShows(88, kAboutY, kInk)) << WindowPixel(88, kAboutY);
	EXPECT_TRUE(WindowShows(90, kAboutY, kBase)) << WindowPixel(90, kAboutY);
}

TEST_F(MainWindowOnX, AboutBoxClosesWithEnterAndTheCloseBoxQuitsWithStatusZero)
{
	ClickAt(kAboutX, kAboutY);
	ASSERT_TRUE(WaitUntil([this] { return OtherProgramWindows().size() == 1; }, milliseconds(5000)))
		<< "no about box";
	PressKey("Return");
	EXPECT_TRUE(WaitUntil([this] { return OtherProgramWindows().empty(); }, milliseconds(5000)))
		<< "the about box stayed open";
	EXPECT_TRUE(fProgram->IsRunning());

	fScreen->SendCloseRequest(fMainWindow.id);
	int status = -1;
	ASSERT_TRUE(fProgram->WaitForExit(milliseconds(10000), &status)) << "still running";
	EXPECT_EQ(0, status) << fProgram->Stderr();
}

TEST_F(MainWindowOnX, LosingTheDisplayEndsTheProgramWithOneLineAndAFailureStatus)
{
	fScreen->Close();
	fServer->Kill();
	int status = 0;
	ASSERT_TRUE(fProgram->WaitForExit(milliseconds(10000), &status)) << "hangs";
	EXPECT_NE(0, status);
	std::vector<std::string> lines = Lines(fProgram->Stderr());
	ASSERT_EQ(1u, lines.size()) << fProgram->Stderr();
	EXPECT_NE(std::string::npos, lines[0].find("display")) << lines[0];
}

TEST_F(MainWindowOnX, PressSinksAButtonAndReleaseOutsideSendsNothing)
{
	MoveTo(kAboutX, kAboutY);
	Xdotool({"mousedown", "1"});
	EXPECT_TRUE(WindowShows(10, kAboutY, kBase)) << WindowPixel(10, kAboutY);
	EXPECT_TRUE(WindowShows(12, kAboutY, kInk)) << WindowPixel(12, kAboutY);
	EXPECT_TRUE(WindowShows(90, kAboutY, kHighlight)) << WindowPixel(90, kAboutY);

	// Held and dragged outside the window, the press still tracks the pointer.
	MoveTo(kAboutX, 150);
	EXPECT_TRUE(WindowShows(10, kAboutY, kDim)) << WindowPixel(10, kAboutY);
	EXPECT_TRUE(WindowShows(11, kAboutY, kInnerFrame)) << WindowPixel(11, kAboutY);
	Xdotool({"mouseup", "1"});
	usleep(500000);
	EXPECT_TRUE(OtherProgramWindows().empty()) << "released outside, yet the about box opened";
}

// Not on the fixture: there is no display to start on.
TEST(VellumarkWithoutDisplay, EndsWithOneLineAndAFailureStatus)
{
	std::string program = std::string(VELLUMARK_BINARY_DIR) + "/vellumark";
	if (access(program.c_str(), X_OK) != 0)
		GTEST_SKIP() << "the program is not built: " << program;
	int unused = 4000;
	struct stat info;
	while (stat(("/tmp/.X11-unix/X" + std::to_string(unused)).c_str(), &info) == 0)
		unused++;

	ChildProcess child;
	ASSERT_TRUE(child.Start(
		{program}, {"DISPLAY=:" + std::to_string(unused), "WAYLAND_DISPLAY=", "GDK_BACKEND=x11"}));
	int status = 0;
	ASSERT_TRUE(child.WaitForExit(milliseconds(10000), &status));
	EXPECT_NE(0, status);
	std::vector<std::string> lines = Lines(child.Stderr());
	ASSERT_EQ(1u, lines.size()) << child.Stderr();
	EXPECT_NE(std::string::npos, lines[0].find(":" + std::to_string(unused))) << lines[0];
}

}  // namespace e2e
