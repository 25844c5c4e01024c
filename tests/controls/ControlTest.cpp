// The program's two controls, each alone in a window on the headless host, driven by pointer
// scripts and checked by what they draw and what they send.

#include <Entry.h>
#include <Window.h>

#include <math.h>

#include <algorithm>
#include <sstream>

#include "CFileDropBox.h"
#include "CFlatButton.h"
#include "TestSupport.h"
#include "TestWindow.h"

namespace {

using namespace testing_support;

const BRect kControlFrame(10, 10, 90, 30);  // in the window
const BPoint kInside(50, 20);
const BPoint kOutside(150, 50);  // in the window, off the control
const uint32 kViewColour = 0xFFD8D8D8;
const uint32 kCommand = 'test';

// One control in a shown window, at kControlFrame, on a grey view that is both its parent and
// its target: the view logs what the control sends it or hands on.
class ControlWindow : public HookLog, public TestWindow {
public:
	explicit ControlWindow(BControl* control, bool enabled = true) :
		TestWindow(MakeWindow(control, enabled, this))
	{
	}

	// The pixels of the frame in the window, from the screen copy.
	std::vector<uint32> ControlPixels(BRect frame = kControlFrame) const
	{
		int32 width = 0;
		std::vector<uint32> screen = Pixels(&width);
		std::vector<uint32> pixels;
		for (int32 y = int32(frame.top); y <= int32(frame.bottom); y++)
			for (int32 x = int32(frame.left); x <= int32(frame.right); x++)
				pixels.push_back(screen.empty() ? 0 : screen[y * width + x]);
		return pixels;
	}

	// Plays a pointer script: steps "what place;", place being in (over the control), out
	// (elsewhere in the window) or away (beyond the window), what a number (the pointer there
	// with those buttons down: 1 the primary, 2 the secondary, 0 none), drag (the drag moving
	// there), drop (the drag dropped there) or exit (the drag leaves).
	void Play(const std::string& script, const BMessage& drag)
	{
		std::istringstream steps(script);
		for (std::string what, place; steps >> what >> place;) {
			BPoint at = place[0] == 'i' ? kInside : place[0] == 'o' ? kOutside : BPoint(-40, 300);
			if (what == "drag")
				DragMotion(at, drag);
			else if (what == "drop")
				Drop(at, drag);
			else if (what == "exit")
				DragExit();
			else
				Pointer(at, uint32(std::stoi(what)));
			// Once no button is down the window is no longer tracking a press: each such step
			// is handled before the next, so that a press tracked no longer takes its moves.
			if (what == "0")
				WaitForIdle();
		}
	}

private:
	static BWindow* MakeWindow(BControl* control, bool enabled, HookLog* log)
	{
		BWindow* window = NewWindow(BRect(100, 100, 300, 170), "control");
		BView* background = new RecordingView(window->Bounds(), "background", log);
		background->SetViewColor(216, 216, 216);
		window->AddChild(background);
		background->AddChild(control);
		control->SetTarget(background);
		control->SetEnabled(enabled);
		return window;
	}
};

// The four looks of a flat button (and of a drop box, which draws as one).
enum Look {
	kFlatEnabled,
	kFlatDisabled,
	kRaised,
	kPressed
};

const int32 kWidth = 81, kHeight = 21;
const uint32 kBase = 0xFFD9D9D9, kFace = 0xFFE8E8E8, kInk = 0xFF000000, kDim = 0xFF979797,
			 kInner = 0xFFF0F0F0, kLight = 0xFFFFFFFF;

// Per look, in the order of Look. Flat: a dim outer frame and a light inner frame round the
// face (the base colour when disabled). Raised: the face two pixels short of the right and
// bottom, lit from the top left, its right and bottom edges in ink. Pressed: the face two
// pixels in from the top and left, its top and left edges in ink, lit from the bottom right.
const struct {
	int32 x, y;
	uint32 colour;  // 0: no more rules
} kLookRules[][9] = {
	{{0, 0, kDim}, {80, 20, kDim}, {40, 0, kDim}, {1, 1, kInner}, {79, 19, kInner}, {2, 2, kFace},
		{78, 18, kFace}},
	{{0, 0, kDim}, {80, 20, kDim}, {1, 1, kInner}, {79, 19, kInner}, {2, 2, kBase},
		{78, 18, kBase}},
	{{0, 0, kLight}, {78, 0, kLight}, {0, 18, kLight}, {78, 18, kInk}, {78, 10, kInk},
		{1, 1, kFace}, {77, 17, kFace}, {79, 10, kBase}, {40, 19, kBase}},
	{{2, 2, kInk}, {80, 2, kInk}, {2, 20, kInk}, {80, 20, kLight}, {40, 20, kLight}, {3, 3, kFace},
		{79, 19, kFace}, {0, 0, kBase}, {1, 10, kBase}},
};

// Checks the drawing rules of a look on a control's pixels: the colours of its corners,
// edges, frames and face, at points the label never reaches. Empty when they hold; else
// the points that break them.
std::string LookProblems(const std::vector<uint32>& pixels, Look look)
{
	std::ostringstream problems;
	for (const auto& rule : kLookRules[look]) {
		uint32 found = pixels[rule.y * kWidth + rule.x];
		if (rule.colour != 0 && found != rule.colour)
			problems << "(" << rule.x << ", " << rule.y << "): " << std::hex << found << "\n";
	}
	return problems.str();
}

// The smallest rectangle holding the label's dark pixels (inside the frames), and the
// darkest of them; an invalid rectangle when there are none.
BRect LabelInk(const std::vector<uint32>& pixels, uint32* darkest = NULL)
{
	BRect ink(kWidth, kHeight, -1, -1);
	uint32 dark = 0xFFFFFFFF;
	// Inside every look's frame lines.
	for (int32 y = 3; y <= 17 && pixels.size() == size_t(kWidth * kHeight); y++) {
		for (int32 x = 4; x <= 76; x++) {
			uint32 pixel = pixels[y * kWidth + x];
			dark = std::min(dark, pixel);
			if ((pixel & 0xFF) < 0xC0)
				ink = ink | BRect(x, y, x, y);
		}
	}
	if (darkest != NULL)
		*darkest = dark;
	return ink;
}

CFlatButton* NewButton(bool stayPressed = false, const char* label = NULL)
{
	return new CFlatButton(kControlFrame, "Button", label != NULL ? label : "About\xE2\x80\xA6",
		new BMessage(kCommand), stayPressed, 0, 1, B_WILL_DRAW);
}

// What a control sent its target or handed on: per message, "dropped " if it was, "invoked" or
// the name it was tagged with, the ids it was tagged with, and " ref" when it carries the
// file's ref.
std::string Sent(const std::vector<BMessage>& messages, const entry_ref& file)
{
	std::ostringstream sent;
	for (const BMessage& message : messages) {
		const char* name = "";
		message.FindString("FileDropName", &name);
		sent << (message.WasDropped() ? "dropped " : "")
			 << (message.what == kCommand ? "invoked" : name);
		for (int32 i = 0, id; message.FindInt32("FileDropID", i, &id) == B_OK; i++)
			sent << " " << id;
		entry_ref ref;
		sent << (message.FindRef("refs", &ref) == B_OK && ref == file ? " ref;" : ";");
	}
	return sent.str();
}

enum Control {
	kButton,
	kStaysPressed,  // a button that stays pressed once invoked
	kWideLabel,  // a button whose label is far wider than it
	kBox  // a drop box, its id 3
};

}  // namespace

// Pointer scripts (see ControlWindow::Play), each played on a fresh control, its drag a file's
// with an id 7 of its own, or a text. The label lies in the middle; it moves up left when the
// control is raised and down right when it is pressed; it is in ink, or dim when the control is
// disabled. Nothing is drawn outside the control, even for a label wider than it, and any
// update rectangle paints the same pixels. A button is invoked at a release over it; a drag
// with refs presses a drop box (a disabled one too) while over it, and nothing else does; a
// drop flattens it and is handed on, tagged with the box's name and with its id after any id
// the drag had.
TEST(Controls, EachPointerScriptEndsInItsLookHavingSentWhatItSends)
{
	static const struct {
		Control control;
		const char* script;
		bool disabled;
		bool text;  // the drag is a text's
		Look look;
		const char* sent;
	} kScripts[] = {
		{kButton, "0 in", false, false, kRaised, ""},
		{kButton, "0 in; 0 out", false, false, kFlatEnabled, ""},
		{kButton, "drag in", false, false, kFlatEnabled, ""},
		{kButton, "1 in; 0 in", false, false, kRaised, "invoked;"},
		{kButton, "1 in; 1 out; 1 in; 0 in", false, false, kRaised, "invoked;"},
		{kButton, "2 in; 0 in", false, false, kRaised, "invoked;"},
		{kButton, "1 in; 3 in; 2 in; 2 away; 0 away", false, false, kFlatEnabled, ""},
		{kButton, "0 in; 1 in; 0 in", true, false, kFlatDisabled, ""},
		{kStaysPressed, "1 in; 0 in; 0 out; 0 in", false, false, kPressed, "invoked;"},
		{kStaysPressed, "1 in; 0 in; 1 in; 1 out; 0 out; 0 in", false, false, kRaised, "invoked;"},
		{kWideLabel, "", false, false, kFlatEnabled, ""},
		{kBox, "drag in; drag out", false, false, kFlatEnabled, ""},
		{kBox, "drag in; exit in", false, false, kFlatEnabled, ""},
		{kBox, "drag in", false, true, kFlatEnabled, ""},
		{kBox, "0 in; 1 in; 0 in", false, false, kFlatEnabled, ""},
		{kBox, "drag in", true, false, kPressed, ""},
		{kBox, "drag in; drop in", false, false, kFlatEnabled, "dropped SetBox 7 3 ref;"},
		{kBox, "drag in; drop in", false, true, kFlatEnabled, "dropped SetBox 3;"},
	};
	TempDir dir;
	std::string file = dir.Make("dropped.txt");
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(file.c_str(), &ref), B_OK);
	for (size_t row = 0; row < std::size(kScripts); row++) {
		const auto& test = kScripts[row];
		SCOPED_TRACE(testing::Message() << "row " << row << ": " << test.script);
		BControl* control = test.control == kBox
			? new CFileDropBox(kControlFrame, "SetBox", "Set icon", 3)
			: NewButton(test.control == kStaysPressed,
				test.control == kWideLabel ? "A label far wider than eighty pixels of button"
										   : NULL);
		ControlWindow harness(control, !test.disabled);
		BRect flatLabel = LabelInk(harness.ControlPixels());
		EXPECT_TRUE(
			test.control == kWideLabel || fabs(flatLabel.left - (80 - flatLabel.right)) <= 1)
			<< "off the middle";
		BMessage drag = test.text ? TextDrag("t") : DragFromPaths({file});
		drag.AddInt32("FileDropID", 7);
		harness.Play(test.script, drag);
		ASSERT_TRUE(harness.WaitForIdle());
		std::vector<uint32> pixels = harness.ControlPixels();
		EXPECT_EQ(LookProblems(pixels, test.look), "");
		uint32 darkest = 0;
		float shift = test.look == kRaised ? -1 : test.look == kPressed ? 1 : 0;
		// A disabled control's label is dim only while flat, and dim ink covers fewer pixels.
		EXPECT_TRUE(LabelInk(pixels, &darkest) == flatLabel.OffsetByCopy(shift, shift)
			|| (test.disabled && test.look != kFlatDisabled))
			<< "label moved";
		EXPECT_EQ(darkest, test.look == kFlatDisabled ? kDim : kInk);
		EXPECT_EQ(Sent(harness.Messages(), ref), test.sent);
		for (float x : {kControlFrame.left - 1, kControlFrame.right + 1})
			EXPECT_EQ(
				harness.ControlPixels(BRect(x, 10, x, 30)), std::vector<uint32>(21, kViewColour));
		harness.RunOnThread([&] { control->Draw(BRect(3, 3, 4, 4)); });
		ASSERT_TRUE(harness.WaitForIdle());
		EXPECT_EQ(harness.ControlPixels(), pixels);
	}
}

// Held down, the button shows pressed at once, before the release invokes it. Tracking the
// press keeps the window busy until the release, and a wait for it that gave up meanwhile
// keeps it from nothing afterwards.
TEST(CFlatButton, ShowsPressedWhileHeldAndIsInvokedAtTheRelease)
{
	ControlWindow harness(NewButton());
	harness.Pointer(kInside, B_PRIMARY_MOUSE_BUTTON);
	EXPECT_TRUE(WaitUntil([&] { return LookProblems(harness.ControlPixels(), kPressed).empty(); }));
	EXPECT_FALSE(harness.WaitForIdle(100000)) << "idle while held";
	for (int i = 0; i < 200; i++)  // taken one a 30 ms poll, they would outlast the wait below
		harness.MouseMove(i % 2 ? kInside : kOutside);
	EXPECT_EQ(harness.Messages().size(), 0u);
	harness.Pointer(kInside, 0);
	ASSERT_TRUE(harness.WaitForIdle());
	EXPECT_EQ(harness.Messages().size(), 1u);
}
