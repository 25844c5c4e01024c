// The program on a real X server through the GTK host: what a user sees and does.

#include "Session.h"
#include "TestSupport.h"

namespace e2e {

using testing_support::WaitUntil;

namespace {

const uint32_t kView = 0xD8D8D8, kBase = 0xD9D9D9, kInk = 0x000000, kDim = 0x979797,
			   kLight = 0xFFFFFF;

}  // namespace

class MainWindowOnX : public Session {};

// The window's content area maps at (100, 100) on the screen. The About button's frame is
// (10, 10, 90, 30) in it; at y = 20 its edge columns show the frame and bevels, never the
// label.
TEST_F(MainWindowOnX, ShowsEachLookUnderThePointerAndQuitsWithStatusZeroAtTheCloseBox)
{
	ASSERT_NO_FATAL_FAILURE(Launch());
	EXPECT_EQ(fMain.x, 100);
	EXPECT_EQ(fMain.y, 100);
	EXPECT_EQ(fMain.width, 281);
	EXPECT_EQ(fMain.height, 71);
	static const struct {
		const char* pointer;  // xdotool, before the pixel is looked at
		int x, y;
		uint32_t colour;
	} kSteps[] = {
		{"", 5, 5, kView},
		{"", 280, 70, kView},
		{"mousemove 150 120", 10, 20, kLight},
		{"", 88, 20, kInk},
		{"mousedown 1", 10, 20, kBase},
		{"", 12, 20, kInk},
		// Held and dragged out of the window, the press still follows the pointer.
		{"mousemove 150 250", 10, 20, kDim},
	};
	for (size_t i = 0; i < std::size(kSteps); i++) {
		if (*kSteps[i].pointer != '\0')
			Xdotool(kSteps[i].pointer);
		EXPECT_TRUE(Shows(kSteps[i].x, kSteps[i].y, kSteps[i].colour))
			<< "step " << i << ": " << std::hex << Pixel(kSteps[i].x, kSteps[i].y);
	}
	Xdotool("mouseup 1 sleep 0.5");
	EXPECT_EQ(Toplevels().size(), 1u) << "released outside, yet the about box opened";

	Xdotool("mousemove 150 120 sleep 0.1 click 1");
	EXPECT_TRUE(WaitUntil([&] { return Toplevels().size() == 2; })) << "no about box";
	Xdotool("key Return");
	EXPECT_TRUE(WaitUntil([&] { return Toplevels().size() == 1; })) << "the about box stayed open";
	EXPECT_TRUE(fProgram->Running());
	SendCloseRequest(fMain.id);
	EXPECT_EQ(fProgram->Wait(), 0) << fProgram->Err();
}

TEST_F(MainWindowOnX, LosingTheDisplayEndsTheProgramWithOneLineAndAFailureStatus)
{
	ASSERT_NO_FATAL_FAILURE(Launch());
	fX.reset();
	fServer.reset();
	EXPECT_GT(fProgram->Wait(), 0) << "it hangs, or ends as if nothing happened";
	std::vector<std::string> lines = Lines(fProgram->Err());
	ASSERT_EQ(lines.size(), 1u) << fProgram->Err();
	EXPECT_NE(lines[0].find("lost the connection to the display"), std::string::npos) << lines[0];
}

}  // namespace e2e
