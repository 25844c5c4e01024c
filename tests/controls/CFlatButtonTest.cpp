#include <gtest/gtest.h>

#include <math.h>

#include "CFlatButton.h"
#include "ControlHarness.h"
#include "TestSupport.h"

using namespace control_test;

namespace {

const uint32 kCommand = 'test';

CFlatButton* NewButton(bool stayPressed = false, const char* label = NULL)
{
	return new CFlatButton(kControlFrame, "Button", label != NULL ? label : "About\xE2\x80\xA6",
		new BMessage(kCommand), stayPressed, 0, 1, B_WILL_DRAW);
}

}  // namespace

// Pointer scripts (see ControlHarness::Play), each played on a fresh button. The label lies
// in the middle; it moves up left when the button is raised and down right when it is
// pressed; it is in ink, or dim when the button is disabled. Nothing is drawn outside the
// button, even for a label wider than it, and any update rectangle paints the same pixels.
TEST(CFlatButton, EachPointerScriptEndsInItsLookWithItsInvocations)
{
	static const struct {
		const char* script;
		const char* label;  // NULL: "About…"
		bool disabled;
		bool stayPressed;
		Look look;
		size_t invocations;
	} kScripts[] = {
		{"", NULL, false, false, kFlatEnabled, 0},
		{"", NULL, true, false, kFlatDisabled, 0},
		{"move in", NULL, false, false, kRaised, 0},
		{"move in; move out", NULL, false, false, kFlatEnabled, 0},
		{"text in", NULL, false, false, kFlatEnabled, 0},
		{"click in", NULL, false, false, kRaised, 1},
		{"down in; move out; move in; up in", NULL, false, false, kRaised, 1},
		{"down in; move off; up off", NULL, false, false, kFlatEnabled, 0},
		{"click2 in", NULL, false, false, kRaised, 1},
		{"buttons1 in; buttons3 in; buttons2 in; buttons2 out; buttons0 out", NULL, false, false,
			kFlatEnabled, 0},
		{"move in; click in", NULL, true, false, kFlatDisabled, 0},
		{"click in; move out; move in", NULL, false, true, kPressed, 1},
		{"click in; down in; move out; up out", NULL, false, true, kFlatEnabled, 1},
		{"click in; down in; move out; up out; move in", NULL, false, true, kRaised, 1},
		{"", "A label far wider than eighty pixels of button", false, false, kFlatEnabled, 0},
	};
	for (size_t row = 0; row < std::size(kScripts); row++) {
		const auto& test = kScripts[row];
		SCOPED_TRACE(testing::Message() << "row " << row << ": " << test.script);
		ControlHarness harness(NewButton(test.stayPressed, test.label));
		BRect flatLabel = LabelInk(harness.ControlPixels());
		EXPECT_TRUE(test.label || fabs(flatLabel.left - (80 - flatLabel.right)) <= 1)
			<< "off the middle";
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
		EXPECT_EQ(harness.Received().size(), test.invocations) << "invocations";
		for (const BMessage& message : harness.Received())
			EXPECT_EQ(message.what, kCommand);
		int32 width = 0;
		std::vector<uint32> screen = harness.Host().WindowPixels(harness.Id(), &width);
		for (int32 y = 10; y <= 30; y++)
			EXPECT_TRUE(
				screen[y * width + 9] == kViewColour && screen[y * width + 91] == kViewColour);
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
	EXPECT_EQ(harness.Received().size(), 0u);
	harness.Host().InjectMouseUp(harness.Id(), kInside);
	harness.Idle();
	EXPECT_EQ(harness.Received().size(), 1u);
}
