#include <gtest/gtest.h>

#include <Message.h>

#include <string>

#include "CFlatButton.h"
#include "ControlHarness.h"
#include "TestSupport.h"

using namespace control_test;

namespace {

const uint32 kCommand = 'test';

CFlatButton* NewButton(const char* label = "About\xE2\x80\xA6", bool stayPressed = false)
{
	return new CFlatButton(BRect(kControlFrame), "Button", label, new BMessage(kCommand),
		stayPressed, 0, 1, B_WILL_DRAW);
}

void ExpectLook(const ControlHarness& harness, Look look)
{
	harness.Idle();
	std::vector<uint32> pixels = harness.ControlPixels();
	EXPECT_EQ(LookProblems(pixels, look), "");
	uint32 darkest = 0;
	LabelInk(pixels, &darkest);
	if (look == kFlatDisabled)
		EXPECT_GE(darkest & 0xFF, 140u) << "a disabled label is dim, not black";
	else
		EXPECT_LT(darkest & 0xFF, 80u) << "the label is drawn in ink";
}

}  // namespace

TEST(CFlatButtonLabel, PositionFollowsTheAlignmentAndAnUnknownOneIsCentred)
{
	BRect bounds(0, 0, 80, 20);
	EXPECT_EQ(CFlatButton::LabelPosition(bounds, 0, 30, 10), BPoint(25.5, 14));
	EXPECT_EQ(CFlatButton::LabelPosition(bounds, 1, 30, 10), BPoint(4, 14));
	EXPECT_EQ(CFlatButton::LabelPosition(bounds, 2, 30, 10), BPoint(46, 14));
	EXPECT_EQ(CFlatButton::LabelPosition(bounds, 7, 30, 10), BPoint(25.5, 14));
}

// Held down, the button shows pressed at once, before the release invokes it.
TEST(CFlatButtonLabel, MovesUpLeftWhenRaisedAndDownRightWhenPressed)
{
	ControlHarness harness(NewButton());
	harness.Idle();
	BRect flat = LabelInk(harness.ControlPixels());
	ASSERT_TRUE(flat.IsValid());
	harness.Host().InjectMouseMove(harness.Id(), harness.Inside());
	harness.Idle();
	BRect raised = LabelInk(harness.ControlPixels());
	EXPECT_EQ(raised, flat.OffsetByCopy(-1, -1));
	harness.Host().InjectMouseDown(harness.Id(), harness.Inside());
	BRect pressed = flat.OffsetByCopy(1, 1);
	EXPECT_TRUE(testing_support::WaitUntil([&] {
		return LabelInk(harness.ControlPixels()) == pressed
			&& LookProblems(harness.ControlPixels(), kPressed).empty();
	}));
	EXPECT_EQ(harness.windowLog.Count(kCommand), 0);
	harness.Host().InjectMouseUp(harness.Id(), harness.Inside());
	harness.Idle();
	EXPECT_EQ(harness.windowLog.Count(kCommand), 1);
}

// Pointer scripts (see ControlHarness::Play), played on a fresh button.
TEST(CFlatButtonPointer, EachScriptEndsInItsLookWithItsInvocations)
{
	static const struct {
		const char* script;
		bool disabled;
		Look look;
		int32 invocations;
	} kScripts[] = {
		{"", false, kFlatEnabled, 0},
		{"", true, kFlatDisabled, 0},
		{"move in", false, kRaised, 0},
		{"move in; move out", false, kFlatEnabled, 0},
		{"text in", false, kFlatEnabled, 0},
		{"click in", false, kRaised, 1},
		{"down in; move out; move in; up in", false, kRaised, 1},
		{"down in; move off; up off", false, kFlatEnabled, 0},
		{"click2 in", false, kRaised, 1},
		{"buttons1 in; buttons3 in; buttons2 in; buttons2 out; buttons0 out", false, kFlatEnabled,
			0},
		{"move in; click in", true, kFlatDisabled, 0},
	};
	for (size_t row = 0; row < sizeof(kScripts) / sizeof(kScripts[0]); row++) {
		ControlHarness harness(NewButton());
		if (kScripts[row].disabled) {
			harness.OnWindowThread([&] {
				static_cast<BControl*>(harness.Control())->SetEnabled(false);
				harness.Control()->Draw(harness.Control()->Bounds());
			});
		}
		harness.Play(kScripts[row].script);
		SCOPED_TRACE(testing::Message() << "row " << row << ": " << kScripts[row].script);
		ExpectLook(harness, kScripts[row].look);
		EXPECT_EQ(harness.windowLog.Count(kCommand), kScripts[row].invocations);
	}
}

TEST(CFlatButtonLook, LabelWiderThanTheButtonIsClippedToIt)
{
	const char* label = "A label far wider than eighty pixels of button";
	ControlHarness harness(NewButton(label));
	harness.Idle();
	int32 width = 0;
	std::vector<uint32> screen = harness.Host().WindowPixels(harness.Id(), &width);
	// Just left of the button and just right of it, the view colour is untouched.
	for (int32 y = 10; y <= 30; y++) {
		EXPECT_EQ(screen[y * width + 9], Packed(kViewColor)) << "row " << y;
		EXPECT_EQ(screen[y * width + 91], Packed(kViewColor)) << "row " << y;
	}
	EXPECT_EQ(LookProblems(harness.ControlPixels(), kFlatEnabled), "");
}

TEST(CFlatButtonStayPressed, StaysPressedAfterAClickWhateverThePointerDoes)
{
	ControlHarness harness(NewButton("About\xE2\x80\xA6", true));
	platform::HeadlessHost& host = harness.Host();
	host.InjectClick(harness.Id(), harness.Inside());
	host.InjectMouseMove(harness.Id(), harness.Outside());
	host.InjectMouseMove(harness.Id(), harness.Inside());
	ExpectLook(harness, kPressed);
	EXPECT_EQ(harness.windowLog.Count(kCommand), 1);

	host.InjectMouseDown(harness.Id(), harness.Inside());
	host.InjectMouseMove(harness.Id(), harness.Outside());
	host.InjectMouseUp(harness.Id(), harness.Outside());
	ExpectLook(harness, kFlatEnabled);
	host.InjectMouseMove(harness.Id(), harness.Inside());
	ExpectLook(harness, kRaised);
	EXPECT_EQ(harness.windowLog.Count(kCommand), 1);
}

TEST(CFlatButtonDraw, AnyUpdateRectanglePaintsTheSamePixels)
{
	ControlHarness harness(NewButton());
	std::vector<uint32> before = harness.ControlPixels();
	harness.OnWindowThread([&] { harness.Control()->Draw(BRect(3, 3, 4, 4)); });
	EXPECT_EQ(harness.ControlPixels(), before);
}
