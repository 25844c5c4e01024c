#include <Alert.h>

#include "WindowTestSupport.h"
#include "app/WindowRegistry.h"
#include "interface/AlertIcons.h"
#include "interface/AlertLayout.h"
#include "interface/Painter.h"

#include <future>

using namespace window_test;
using platform::AlertLayout;
using platform::WindowRegistry;

namespace {

// An alert made and run with Go() on a thread that is no looper's, and its window.
struct GoingAlert {
	explicit GoingAlert(const std::function<BAlert*(const char* title)>& make) :
		title(UniqueTitle("alert")),
		result(std::async(std::launch::async, [this, make] { return make(title.c_str())->Go(); })),
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
		GoingAlert going([&](const char* title) {
			BAlert* alert = new BAlert(title, "Text", row.buttons[0], row.buttons[1]);
			if (row.shortcutButton >= 0)
				alert->SetShortcut(row.shortcutButton, row.shortcut);
			return alert;
		});
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
	GoingAlert going([text](const char* title) {
		BAlert* alert = new BAlert(title, text, "OK");
		alert->SetShortcut(0, B_ENTER);
		return alert;
	});
	int32 width = 0;
	std::vector<uint32> screen = going.window.Pixels(&width);
	auto pixel = [&](float x, float y) { return screen.at(size_t(int32(y) * width + int32(x))); };

	const uint8* icon = platform::AlertIconBits(B_INFO_ALERT);
	int32 drawn = 0;
	for (int32 y = 0; y < platform::kAlertIconSize; y++) {
		for (int32 x = 0; x < platform::kAlertIconSize; x++) {
			uint8 index = icon[y * platform::kAlertIconSize + x];
			if (index == B_TRANSPARENT_8_BIT)
				continue;
			drawn++;
			EXPECT_EQ(pixel(layout.iconAt.x + x, layout.iconAt.y + y),
				platform::PackColor(system_colors()->color_list[index]));
		}
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
