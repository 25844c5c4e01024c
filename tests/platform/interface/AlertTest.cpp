#include <Alert.h>

#include "TestSupport.h"
#include "TestWindow.h"
#include "app/WindowRegistry.h"
#include "interface/AlertIcons.h"
#include "interface/AlertLayout.h"
#include "interface/Painter.h"

#include <future>

using namespace testing_support;
using platform::AlertLayout;
using platform::WindowRegistry;

namespace {

// An alert of the text and buttons, the shortcut on the button of that index (-1: none), run
// with Go() on a thread that is no looper's, and its window.
struct GoingAlert {
	GoingAlert(const char* text, const char* first, const char* second, int32 index, char key) :
		title(UniqueTitle("alert")),
		result(std::async(std::launch::async,
			[this, text, first, second, index, key] {
				BAlert* alert = new BAlert(title.c_str(), text, first, second);
				if (index >= 0)
					alert->SetShortcut(index, key);
				return alert->Go();
			})),
		window(title)
	{
		EXPECT_TRUE(window.IsOpen());
	}
	std::string title;
	std::future<int32> result;
	TestWindow window;
};

bool IsDark(uint32 pixel)
{
	return ((pixel >> 16) & 0xFF) < 100 && ((pixel >> 8) & 0xFF) < 100 && (pixel & 0xFF) < 100;
}

}  // namespace

TEST(BAlert, GoBlocksUntilAnsweredAndReturnsTheButtonsIndex)
{
	Watchdog watchdog;
	const struct {
		const char* buttons[2];
		int32 shortcutButton;  // -1: none
		char shortcut;
		char answer;  // Enter, a click on the first button, or the close box
		int32 expected;
	} kRows[] = {
		{{"No", "Yes"}, 1, B_ENTER, 'e', 1},
		{{"One", "Two"}, -1, 0, 'c', 0},
		// The close box answers with the Escape button, else the last.
		{{"A", "B"}, -1, 0, 'x', 1},
		{{"Cancel", "OK"}, 0, B_ESCAPE, 'x', 0},
	};
	for (size_t i = 0; i < sizeof(kRows) / sizeof(kRows[0]); i++) {
		const auto& row = kRows[i];
		int32 windows = WindowRegistry::Count();
		GoingAlert going("Text", row.buttons[0], row.buttons[1], row.shortcutButton, row.shortcut);
		going.window.Key("x");
		EXPECT_EQ(
			going.result.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout)
			<< "row " << i << ": a key that is no shortcut does nothing";
		if (row.answer == 'e')
			going.window.Key("\n");
		else if (row.answer == 'x')
			going.window.Close();
		else {
			BRect first = AlertLayout::Compute(
				"Text", {row.buttons[0], row.buttons[1]}, B_WIDTH_AS_USUAL, B_INFO_ALERT)
							  .buttons[0];
			going.window.Click(BPoint(first.left + 3, first.top + 3));
		}
		EXPECT_EQ(going.result.get(), row.expected) << "row " << i;
		EXPECT_EQ(WindowRegistry::Count(), windows) << "row " << i << ": deleted by Go()";
		EXPECT_FALSE(going.window.IsOpen()) << "row " << i;
	}
}

// The icon's opaque pixels at its place, ink in the rows of each line of text but none in a
// blank line's (which keeps its height), and the Enter button's frame two pixels thick.
TEST(BAlert, DrawsTheInfoIconTheTextAndTheButtons)
{
	Watchdog watchdog;
	const char* text = "Vellumark 1.5\n\ne-mail: x@example.org";
	AlertLayout layout = AlertLayout::Compute(text, {"OK"}, B_WIDTH_AS_USUAL, B_INFO_ALERT);
	GoingAlert going(text, "OK", NULL, 0, B_ENTER);
	int32 width = 0;
	std::vector<uint32> screen = going.window.Pixels(&width);
	auto pixel = [&](float x, float y) { return screen.at(size_t(int32(y) * width + int32(x))); };

	const uint8* icon = platform::AlertIconBits(B_INFO_ALERT);
	const int32 kSide = platform::kAlertIconSize;
	int32 drawn = 0;
	for (int32 i = 0; i < kSide * kSide; i++) {
		if (icon[i] == B_TRANSPARENT_8_BIT)
			continue;
		drawn++;
		EXPECT_EQ(pixel(layout.iconAt.x + i % kSide, layout.iconAt.y + i / kSide),
			platform::PackColor(system_colors()->color_list[icon[i]]));
	}
	EXPECT_GT(drawn, 200);

	for (int32 line = 0; line < 3; line++) {
		int32 baseline = int32(layout.firstBaseline + line * layout.lineHeight), dark = 0;
		for (int32 y = baseline - 9; y <= baseline; y++)
			for (int32 x = int32(layout.textLeft); x <= int32(layout.bounds.right); x++)
				dark += IsDark(pixel(x, y));
		EXPECT_EQ(dark > 20, line != 1) << "line " << line;
	}

	BRect button = layout.buttons[0];
	EXPECT_TRUE(IsDark(pixel(button.left, button.top)));
	EXPECT_TRUE(IsDark(pixel(button.left + 1, button.top + 1)));
	going.window.Key("\n");
	EXPECT_EQ(going.result.get(), 0);
}
