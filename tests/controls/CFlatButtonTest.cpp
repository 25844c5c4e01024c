#include <gtest/gtest.h>

#include "CFlatButton.h"
#include "ControlHarness.h"
#include "TestSupport.h"

using namespace control_test;

namespace {

const uint32 kCommand = 'test';

CFlatButton* NewButton(bool stayPressed = false, const char* label = "About\xE2\x80\xA6")
{
	return new CFlatButton(
		kControlFrame, "Button", label, new BMessage(kCommand), stayPressed, 0, 1, B_WILL_DRAW);
}

}  // namespace

TEST(CFlatButton, LabelPositionFollowsTheAlignmentAndAnUnknownOneIsCentred)
{
	BRect bounds(0, 0, 80, 20);
	EXPECT_EQ(CFlatButton::LabelPosition(bounds, 0, 30, 10), BPoint(25.5, 14));
	EXPECT_EQ(CFlatButton::LabelPosition(bounds, 1, 30, 10), BPoint(4, 14));
	EXPECT_EQ(CFlatButton::LabelPosition(bounds, 2, 30, 10), BPoint(46, 14));
	EXPECT_EQ(CFlatButton::LabelPosition(bounds, 7, 30, 10), BPoint(25.5, 14));
}

// Pointer scripts (see ControlHarness::Play), each played on a fresh button. The label moves
// up left when the button is raised and down right when it is pressed; it is in ink, or dim
// when the button is disabled. Any update rectangle paints the same pixels.
TEST(CFlatButton, EachPointerScriptEndsInItsLookWithItsInvocations)
{
	static const struct {
		const char* script;
		bool disabled;
		bool stayPressed;
		Look look;
		int32 invocations;
	} kScripts[] = {
		{"", false, false, kFlatEnabled, 0},
		{"", true, false, kFlatDisabled, 0},
		{"move in", false, false, kRaised, 0},
		{"move in; move out", false, false, kFlatEnabled, 0},
		{"text in", false, false, kFlatEnabled, 0},
		{"click in", false, false, kRaised, 1},
		{"down in; move out; move in; up in", false, false, kRaised, 1},
		{"down in; move off; up off", false, false, kFlatEnabled, 0},
		{"click2 in", false, false, kRaised, 1},
		{"buttons1 in; buttons3 in; buttons2 in; buttons2 out; buttons0 out", false, false,
			kFlatEnabled, 0},
		{"move in; click in", true, false, kFlatDisabled, 0},
		{"click in; move out; move in", false, true, kPressed, 1},
		{"click in; down in; move out; up out", false, true, kFlatEnabled, 1},
		{"click in; down in; move out; up out; move in", false, true, kRaised, 1},
	};
	for (size_t row = 0; row < std::size(kScripts); row++) {
		const auto& test = kScripts[row];
		SCOPED_TRACE(testing::Message() << "row " << row << ": " << test.script);
		ControlHarness harness(NewButton(test.stayPressed));
		BRect flatLabel = LabelInk(harness.ControlPixels());
		if (test.disabled)
			harness.OnWindowThread([&] { harness.Control()->SetEnabled(false); });
		harness.Play(test.script);
		harness.Idle();
		std::vector<uint32> pixels = harness.ControlPixels();
		EXPECT_EQ(LookProblems(pixels, test.look), "");
		uint32 darkest = 0;
		float shift = test.look == kRaised ? -1 : test.look == kPressed ? 1 : 0;
		EXPECT_EQ(LabelInk(pixels, &darkest), flatLabel.OffsetByCopy(shift, shift));
		EXPECT_EQ(darkest, test.look == kFlatDisabled ? 0xFF979797 : 0xFF000000);
		EXPECT_EQ(harness.Count(kCommand), test.invocations);
		harness.OnWindowThread([&] { harness.Control()->Draw(BRect(3, 3, 4, 4)); });
		EXPECT_EQ(harness.ControlPixels(), pixels);
	}
}

// Held down, the button shows pressed at once, before the release invokes it.
TEST(CFlatButton, ShowsPressedWhileHeldAndIsInvokedAtTheRelease)
{
	ControlHarness harness(NewButton());
	harness.Host().InjectMouseDown(harness.Id(), kInside);
	EXPECT_TRUE(testing_support::WaitUntil(
		[&] { return LookProblems(harness.ControlPixels(), kPressed).empty(); }));
	EXPECT_EQ(harness.Count(kCommand), 0);
	harness.Host().InjectMouseUp(harness.Id(), kInside);
	harness.Idle();
	EXPECT_EQ(harness.Count(kCommand), 1);
}

TEST(CFlatButton, LabelWiderThanTheButtonIsClippedToIt)
{
	ControlHarness harness(NewButton(false, "A label far wider than eighty pixels of button"));
	int32 width = 0;
	std::vector<uint32> screen = harness.Host().WindowPixels(harness.Id(), &width);
	// Just left of the button and just right of it, the view colour is untouched.
	for (int32 y = 10; y <= 30; y++) {
		EXPECT_EQ(screen[y * width + 9], kViewColour) << "row " << y;
		EXPECT_EQ(screen[y * width + 91], kViewColour) << "row " << y;
	}
	EXPECT_EQ(LookProblems(harness.ControlPixels(), kFlatEnabled), "");
}
