#include "ControlHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <sstream>

namespace control_test {

class ControlHarness::Background : public BView {
public:
	Background(BRect frame, ControlHarness* harness) :
		BView(frame, "background", B_FOLLOW_NONE, B_WILL_DRAW),
		fHarness(harness)
	{
		SetViewColor(216, 216, 216);
	}

	void MessageReceived(BMessage* message) override
	{
		std::lock_guard<std::mutex> lock(fHarness->fLock);
		fHarness->fReceived.push_back(*message);
	}

private:
	ControlHarness* fHarness;
};

ControlHarness::ControlHarness(BControl* control) :
	fControl(control)
{
	static std::atomic<int> counter(0);
	std::string title = "control-test-" + std::to_string(counter++);
	fWindow = new BWindow(BRect(100, 100, 300, 170), title.c_str(), B_TITLED_WINDOW_LOOK,
		B_NORMAL_WINDOW_FEEL, B_NOT_RESIZABLE);
	BView* background = new Background(fWindow->Bounds(), this);
	fWindow->AddChild(background);
	background->AddChild(control);
	control->SetTarget(background);
	fWindow->Show();
	fId = Host().WaitForWindow(title.c_str());
	EXPECT_GE(fId, 0);
	Idle();
}

ControlHarness::~ControlHarness()
{
	if (fWindow->Lock())
		fWindow->Quit();
	Host().WaitForClose(fId);
}

void ControlHarness::Idle() const
{
	ASSERT_TRUE(Host().WaitForIdle(fId)) << "the window did not settle";
}

void ControlHarness::OnWindowThread(const std::function<void()>& fn) const
{
	ASSERT_TRUE(Host().RunOnWindowThread(fId, fn));
	Idle();
}

std::vector<uint32> ControlHarness::ControlPixels() const
{
	int32 width = 0;
	std::vector<uint32> screen = Host().WindowPixels(fId, &width);
	std::vector<uint32> pixels;
	for (int32 y = int32(kControlFrame.top); y <= int32(kControlFrame.bottom); y++) {
		for (int32 x = int32(kControlFrame.left); x <= int32(kControlFrame.right); x++)
			pixels.push_back(screen.empty() ? 0 : screen[y * width + x]);
	}
	return pixels;
}

void ControlHarness::Play(const std::string& script, const BMessage& fileDrag) const
{
	std::istringstream steps(script);
	for (std::string step; std::getline(steps, step, ';');) {
		std::istringstream words(step);
		std::string verb, place;
		words >> verb >> place;
		BPoint at = place == "in" ? kInside : place == "out" ? kOutside : BPoint(-40, 300);
		if (verb == "move")
			Host().InjectMouseMove(fId, at);
		else if (verb == "down")
			Host().InjectMouseDown(fId, at);
		else if (verb == "up")
			Host().InjectMouseUp(fId, at);
		else if (verb == "click" || verb == "click2")
			Host().InjectClick(
				fId, at, verb == "click" ? B_PRIMARY_MOUSE_BUTTON : B_SECONDARY_MOUSE_BUTTON);
		else if (verb.rfind("buttons", 0) == 0)
			Host().InjectPointer(fId, at, uint32(std::stoi(verb.substr(7))));
		else if (verb == "text")
			Host().InjectDragMotion(fId, at, platform::HeadlessHost::TextDragMessage("t"));
		else if (verb == "drag")
			Host().InjectDragMotion(fId, at, fileDrag);
		else if (verb == "drop")
			Host().InjectDrop(fId, at, fileDrag);
		else if (verb == "droptext")
			Host().InjectDrop(fId, at, platform::HeadlessHost::TextDragMessage("t"));
		else if (verb == "exit")
			Host().InjectDragExit(fId);
		else
			ADD_FAILURE() << "unknown step " << step;
	}
}

std::vector<BMessage> ControlHarness::Received() const
{
	std::lock_guard<std::mutex> lock(fLock);
	return fReceived;
}

namespace {

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

}  // namespace

std::string LookProblems(const std::vector<uint32>& pixels, Look look)
{
	if (pixels.size() != size_t(kWidth * kHeight))
		return "the control is not 81 x 21";
	std::ostringstream problems;
	for (const auto& rule : kLookRules[look]) {
		uint32 found = pixels[rule.y * kWidth + rule.x];
		if (rule.colour != 0 && found != rule.colour)
			problems << "(" << rule.x << ", " << rule.y << "): " << std::hex << found << "\n";
	}
	return problems.str();
}

BRect LabelInk(const std::vector<uint32>& pixels, uint32* darkest)
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

}  // namespace control_test
