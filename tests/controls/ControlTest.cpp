// The program's two controls, each alone in a window on the headless host, driven by pointer
// scripts and checked by what they draw and what they send.

#include <gtest/gtest.h>

#include <Control.h>
#include <Entry.h>
#include <Message.h>
#include <Window.h>

#include <math.h>
#include <string.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "CFileDropBox.h"
#include "CFlatButton.h"
#include "TestSupport.h"
#include "TestWindow.h"

namespace {

using testing_support::TestWindow;
using testing_support::TextDrag;

const BRect kControlFrame(10, 10, 90, 30);  // in the window
const BPoint kInside(50, 20);
const BPoint kOutside(150, 50);  // in the window, off the control
const uint32 kViewColour = 0xFFD8D8D8;
const uint32 kCommand = 'test';

// What the control sends its target or hands on; made before the window shows.
struct Inbox {
	mutable std::mutex lock;
	std::vector<BMessage> received;
};

// One control in a shown window, at kControlFrame, on a grey view that is both its parent and
// its target: the view keeps what the control sends it or hands on.
class ControlWindow : private Inbox, public TestWindow {
public:
	explicit ControlWindow(BControl* control, bool enabled = true) :
		TestWindow(MakeWindow(control, enabled, this))
	{
	}

	std::vector<uint32> ControlPixels() const  // from the screen copy
	{
		int32 width = 0;
		std::vector<uint32> screen = Pixels(&width);
		std::vector<uint32> pixels;
		for (int32 y = int32(kControlFrame.top); y <= int32(kControlFrame.bottom); y++) {
			for (int32 x = int32(kControlFrame.left); x <= int32(kControlFrame.right); x++)
				pixels.push_back(screen.empty() ? 0 : screen[y * width + x]);
		}
		return pixels;
	}

	// Plays a pointer script: steps "verb place" separated by ';', place being in (over the
	// control), out (elsewhere in the window) or off (beyond the window). Verbs: move, down,
	// up, click, click2 (secondary button), buttonsN (the pointer with buttons N down),
	// text (a text drag moving there), drag (a drag of fileDrag moving there), drop and
	// droptext (fileDrag or a text dropped there), exit (the drag leaves).
	void Play(const std::string& script, const BMessage& fileDrag = BMessage())
	{
		std::istringstream steps(script);
		for (std::string step; std::getline(steps, step, ';');) {
			std::istringstream words(step);
			std::string verb, place;
			words >> verb >> place;
			BPoint at = place == "in" ? kInside : place == "out" ? kOutside : BPoint(-40, 300);
			if (verb == "move")
				MouseMove(at);
			else if (verb == "down")
				Pointer(at, B_PRIMARY_MOUSE_BUTTON);
			else if (verb == "up")
				Pointer(at, 0);
			else if (verb == "click" || verb == "click2")
				Click(at, verb == "click" ? B_PRIMARY_MOUSE_BUTTON : B_SECONDARY_MOUSE_BUTTON);
			else if (verb.rfind("buttons", 0) == 0)
				Pointer(at, uint32(std::stoi(verb.substr(7))));
			else if (verb == "text" || verb == "drag")
				DragMotion(at, verb == "text" ? TextDrag("t") : fileDrag);
			else if (verb == "drop" || verb == "droptext")
				Drop(at, verb == "drop" ? fileDrag : TextDrag("t"));
			else if (verb == "exit")
				DragExit();
			else
				ADD_FAILURE() << "unknown step " << step;
		}
	}

	std::vector<BMessage> Received() const
	{
		std::lock_guard<std::mutex> hold(lock);
		return received;
	}

private:
	class Background : public BView {
	public:
		Background(BRect frame, Inbox* inbox) :
			BView(frame, "background", B_FOLLOW_NONE, B_WILL_DRAW),
			fInbox(inbox)
		{
			SetViewColor(216, 216, 216);
		}

		void MessageReceived(BMessage* message) override
		{
			std::lock_guard<std::mutex> hold(fInbox->lock);
			fInbox->received.push_back(*message);
		}

	private:
		Inbox* fInbox;
	};

	static BWindow* MakeWindow(BControl* control, bool enabled, Inbox* inbox)
	{
		static std::atomic<int> counter(0);
		std::string title = "control-test-" + std::to_string(counter++);
		BWindow* window = new BWindow(BRect(100, 100, 300, 170), title.c_str(),
			B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, B_NOT_RESIZABLE);
		BView* background = new Background(window->Bounds(), inbox);
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

}  // namespace

// Pointer scripts (see ControlWindow::Play), each played on a fresh button. The label lies
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
		CFlatButton* button = NewButton(test.stayPressed, test.label);
		ControlWindow harness(button, !test.disabled);
		BRect flatLabel = LabelInk(harness.ControlPixels());
		EXPECT_TRUE(test.label || fabs(flatLabel.left - (80 - flatLabel.right)) <= 1)
			<< "off the middle";
		harness.Play(test.script);
		ASSERT_TRUE(harness.WaitForIdle());
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
		std::vector<uint32> screen = harness.Pixels(&width);
		for (int32 y = 10; y <= 30; y++)
			EXPECT_TRUE(
				screen[y * width + 9] == kViewColour && screen[y * width + 91] == kViewColour);
		harness.RunOnThread([&] { button->Draw(BRect(3, 3, 4, 4)); });
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
	EXPECT_TRUE(testing_support::WaitUntil(
		[&] { return LookProblems(harness.ControlPixels(), kPressed).empty(); }));
	EXPECT_FALSE(harness.WaitForIdle(100000)) << "idle while held";
	for (int i = 0; i < 200; i++)  // taken one a 30 ms poll, they would outlast the wait below
		harness.MouseMove(i % 2 ? kInside : kOutside);
	EXPECT_EQ(harness.Received().size(), 0u);
	harness.Pointer(kInside, 0);
	ASSERT_TRUE(harness.WaitForIdle());
	EXPECT_EQ(harness.Received().size(), 1u);
}

// A drag with refs presses the box (a disabled one too) while over it, and nothing else does.
// A drop flattens it and is handed on to the parent, tagged with the box's name and with its
// id after any id the drag had; nothing else is handed on.
TEST(CFileDropBox, OnlyADragWithRefsPressesItAndADropIsHandedOnTagged)
{
	static const struct {
		const char* script;
		bool disabled;
		Look look;
		std::vector<int32> ids;  // the drag's own, then the box's; empty: nothing handed on
	} kScripts[] = {
		{"drag in", false, kPressed, {}},
		{"drag in; drag out", false, kFlatEnabled, {}},
		{"drag in; exit in", false, kFlatEnabled, {}},
		{"text in", false, kFlatEnabled, {}},
		{"move in; click in", false, kFlatEnabled, {}},
		{"drag in", true, kPressed, {}},
		{"drag in; drop in", false, kFlatEnabled, {3}},
		{"drag in; drop in", false, kFlatEnabled, {7, 3}},
		{"text in; droptext in", false, kFlatEnabled, {3}},
	};
	testing_support::TempDir dir;
	std::string file = dir.Make("dropped.txt");
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(file.c_str(), &ref), B_OK);
	for (size_t row = 0; row < std::size(kScripts); row++) {
		const auto& test = kScripts[row];
		SCOPED_TRACE(testing::Message() << "row " << row << ": " << test.script);
		ControlWindow harness(
			new CFileDropBox(kControlFrame, "SetBox", "Set icon", 3), !test.disabled);
		BMessage drag = testing_support::DragFromPaths({file});
		for (size_t i = 0; i + 1 < test.ids.size(); i++)
			drag.AddInt32("FileDropID", test.ids[i]);
		harness.Play(test.script, drag);
		ASSERT_TRUE(harness.WaitForIdle());
		EXPECT_EQ(LookProblems(harness.ControlPixels(), test.look), "");
		std::vector<BMessage> received = harness.Received();
		ASSERT_EQ(received.size(), test.ids.empty() ? 0u : 1u);
		if (received.empty())
			continue;
		EXPECT_TRUE(received[0].WasDropped());
		const char* name = NULL;
		received[0].FindString("FileDropName", &name);
		EXPECT_STREQ(name, "SetBox");
		std::vector<int32> ids;
		for (int32 id; received[0].FindInt32("FileDropID", int32(ids.size()), &id) == B_OK;)
			ids.push_back(id);
		EXPECT_EQ(ids, test.ids);
		entry_ref found;
		EXPECT_EQ(received[0].FindRef("refs", &found) == B_OK && found == ref,
			strstr(test.script, "text") == NULL);
	}
}
