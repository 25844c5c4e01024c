// The program on a real X server through the GTK host: what a user sees and does.

#include "Session.h"

namespace e2e {

class MainWindowOnX : public Session {};

// The About button's frame is (10, 10, 90, 30) in the window; at y = 20 its edge columns show
// the frame and bevels, never the label.
TEST_F(MainWindowOnX, ShowsEachLookUnderThePointerAndQuitsWithStatusZeroAtTheCloseBox)
{
	ASSERT_NO_FATAL_FAILURE(Launch());
	static const struct {
		const char* pointer;  // xdotool, before the pixel is looked at
		int x, y;
		uint32_t colour;
	} kSteps[] = {
		// The content area, 281 x 71 in the view colour, on the black screen.
		{"", -1, -1, 0x000000},
		{"", 0, 0, 0xD8D8D8},
		{"", 280, 70, 0xD8D8D8},
		{"", 281, 71, 0x000000},
		{"mousemove 150 120", 10, 20, 0xFFFFFF},
		{"", 88, 20, 0x000000},
		{"mousedown 1", 10, 20, 0xD9D9D9},
		{"", 12, 20, 0x000000},
		// Held and dragged out of the window, the press still follows the pointer.
		{"mousemove 150 250", 10, 20, 0x979797},
	};
	for (size_t i = 0; i < std::size(kSteps); i++) {
		if (*kSteps[i].pointer != '\0')
			Xdotool(kSteps[i].pointer);
		EXPECT_TRUE(Shows(kSteps[i].x, kSteps[i].y, kSteps[i].colour))
			<< "step " << i << ": " << std::hex << Pixel(kSteps[i].x, kSteps[i].y);
	}
	auto windows = [&] {
		return Lines(Xdotool("search --onlyvisible --maxdepth 1 --classname vellumark")).size();
	};
	Xdotool("mouseup 1 sleep 0.5");
	EXPECT_EQ(windows(), 1u) << "released outside, yet the about box opened";

	Xdotool("mousemove 150 120 sleep 0.1 click 1");
	EXPECT_TRUE(Eventually([&] { return windows() == 2; })) << "no about box";
	Xdotool("key Return");
	EXPECT_TRUE(Eventually([&] { return windows() == 1; })) << "the about box stayed open";
	EXPECT_TRUE(fProgram->Running());
	SendCloseRequest(fMain);
	EXPECT_EQ(fProgram->Wait(), 0) << fProgram->Err();
}

TEST_F(MainWindowOnX, LosingTheDisplayEndsTheProgramWithOneLineAndAFailureStatus)
{
	ASSERT_NO_FATAL_FAILURE(Launch());
	fServer.reset();
	EXPECT_GT(fProgram->Wait(), 0) << "it hangs, or ends as if nothing happened";
	std::vector<std::string> lines = Lines(fProgram->Err());
	ASSERT_EQ(lines.size(), 1u) << fProgram->Err();
	EXPECT_NE(lines[0].find("lost the connection to the display"), std::string::npos) << lines[0];
}

}  // namespace e2e
