#include "ControlHarness.h"

#include <gtest/gtest.h>

#include <stdio.h>

#include <algorithm>
#include <atomic>
#include <sstream>

namespace control_test {

void MessageLog::Add(const BMessage* message)
{
	std::lock_guard<std::mutex> lock(fMutex);
	fMessages.push_back(*message);
}

std::vector<BMessage> MessageLog::Messages() const
{
	std::lock_guard<std::mutex> lock(fMutex);
	return fMessages;
}

int32 MessageLog::Count(uint32 what) const
{
	std::lock_guard<std::mutex> lock(fMutex);
	int32 count = 0;
	for (const BMessage& message : fMessages)
		count += message.what == what;
	return count;
}

RecordingView::RecordingView(BRect frame, MessageLog* log) :
	BView(frame, "background", B_FOLLOW_NONE, B_WILL_DRAW),
	fLog(log)
{
	SetViewColor(kViewColor);
}

void RecordingView::MessageReceived(BMessage* message)
{
	fLog->Add(message);
}

RecordingWindow::RecordingWindow(BRect frame, const char* title, MessageLog* log) :
	BWindow(frame, title, B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, B_NOT_RESIZABLE),
	fLog(log)
{
}

void RecordingWindow::MessageReceived(BMessage* message)
{
	fLog->Add(message);
	BWindow::MessageReceived(message);
}

ControlHarness::ControlHarness(BView* control) :
	fControl(control)
{
	static std::atomic<int> counter(0);
	std::string title = "control-test-" + std::to_string(counter++);
	fWindow = new RecordingWindow(BRect(100, 100, 300, 170), title.c_str(), &windowLog);
	RecordingView* background = new RecordingView(fWindow->Bounds(), &parentLog);
	fWindow->AddChild(background);
	background->AddChild(control);
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
	for (int32 y = int32(kControlFrame.top); y <= int32(kControlFrame.bottom); y++)
		for (int32 x = int32(kControlFrame.left); x <= int32(kControlFrame.right); x++)
			pixels.push_back(screen.empty() ? 0 : screen[y * width + x]);
	return pixels;
}

void ControlHarness::Play(const std::string& script, const BMessage& fileDrag) const
{
	platform::HeadlessHost& host = Host();
	std::istringstream steps(script);
	std::string step;
	while (std::getline(steps, step, ';')) {
		std::istringstream words(step);
		std::string verb, place;
		words >> verb >> place;
		BPoint at = place == "in" ? Inside() : place == "out" ? Outside() : BPoint(-40, 300);
		if (verb == "move")
			host.InjectMouseMove(fId, at);
		else if (verb == "down")
			host.InjectMouseDown(fId, at);
		else if (verb == "up")
			host.InjectMouseUp(fId, at);
		else if (verb == "click")
			host.InjectClick(fId, at);
		else if (verb == "click2")
			host.InjectClick(fId, at, B_SECONDARY_MOUSE_BUTTON);
		else if (verb.rfind("buttons", 0) == 0)
			host.InjectPointer(fId, at, uint32(std::stoi(verb.substr(7))));
		else if (verb == "text")
			host.InjectDragMotion(fId, at, platform::HeadlessHost::TextDragMessage("t"));
		else if (verb == "drag")
			host.InjectDragMotion(fId, at, fileDrag);
		else if (verb == "exit")
			host.InjectDragExit(fId);
		else
			ADD_FAILURE() << "unknown step " << step;
	}
}

uint32 Packed(rgb_color c)
{
	return 0xFF000000u | (uint32(c.red) << 16) | (uint32(c.green) << 8) | c.blue;
}

namespace {

const int32 kWidth = 81, kHeight = 21;
const uint32 kBase = 0xFFD9D9D9, kFace = 0xFFE8E8E8, kInk = 0xFF000000, kDim = 0xFF979797,
			 kInner = 0xFFF0F0F0, kLight = 0xFFFFFFFF;

// Flat: a dim outer frame and a light inner frame round the face (the base colour when
// disabled). Raised: the face two pixels short of the right and bottom, lit from the top
// left, its right and bottom edges in ink. Pressed: the face two pixels in from the top
// and left, its top and left edges in ink, lit from the bottom right.
const struct {
	Look look;
	int32 x, y;
	uint32 colour;
} kLookRules[] = {
	{kFlatEnabled, 0, 0, kDim},
	{kFlatEnabled, 80, 20, kDim},
	{kFlatEnabled, 40, 0, kDim},
	{kFlatEnabled, 0, 10, kDim},
	{kFlatEnabled, 1, 1, kInner},
	{kFlatEnabled, 79, 19, kInner},
	{kFlatEnabled, 40, 19, kInner},
	{kFlatEnabled, 2, 2, kFace},
	{kFlatEnabled, 78, 18, kFace},
	{kFlatDisabled, 0, 0, kDim},
	{kFlatDisabled, 80, 20, kDim},
	{kFlatDisabled, 1, 1, kInner},
	{kFlatDisabled, 79, 19, kInner},
	{kFlatDisabled, 2, 2, kBase},
	{kFlatDisabled, 78, 18, kBase},
	{kRaised, 0, 0, kLight},
	{kRaised, 40, 0, kLight},
	{kRaised, 0, 18, kLight},
	{kRaised, 78, 0, kLight},
	{kRaised, 78, 10, kInk},
	{kRaised, 40, 18, kInk},
	{kRaised, 78, 18, kInk},
	{kRaised, 1, 1, kFace},
	{kRaised, 77, 17, kFace},
	{kRaised, 79, 10, kBase},
	{kRaised, 80, 20, kBase},
	{kRaised, 40, 19, kBase},
	{kPressed, 2, 2, kInk},
	{kPressed, 40, 2, kInk},
	{kPressed, 2, 20, kInk},
	{kPressed, 80, 2, kInk},
	{kPressed, 80, 10, kLight},
	{kPressed, 40, 20, kLight},
	{kPressed, 80, 20, kLight},
	{kPressed, 3, 3, kFace},
	{kPressed, 79, 19, kFace},
	{kPressed, 0, 0, kBase},
	{kPressed, 1, 10, kBase},
	{kPressed, 40, 1, kBase},
};

}  // namespace

std::string LookProblems(const std::vector<uint32>& pixels, Look look)
{
	if (pixels.size() != size_t(kWidth * kHeight))
		return "the control is not 81 x 21";
	std::string problems;
	char line[80];
	for (size_t i = 0; i < sizeof(kLookRules) / sizeof(kLookRules[0]); i++) {
		uint32 found = pixels[kLookRules[i].y * kWidth + kLookRules[i].x];
		if (kLookRules[i].look != look || found == kLookRules[i].colour)
			continue;
		snprintf(line, sizeof(line), "rule %zu, (%d, %d): %08X, expected %08X\n", i,
			kLookRules[i].x, kLookRules[i].y, found, kLookRules[i].colour);
		problems += line;
	}
	return problems;
}

BRect LabelInk(const std::vector<uint32>& pixels, uint32* darkest)
{
	BRect ink(kWidth, kHeight, -1, -1);
	uint32 dark = 0xFFFFFFFF;
	// Inside every look's frame lines.
	for (int32 y = 3; y <= 17 && pixels.size() == size_t(kWidth * kHeight); y++)
		for (int32 x = 4; x <= 76; x++) {
			uint32 pixel = pixels[y * kWidth + x];
			if ((pixel & 0xFF) < (dark & 0xFF))
				dark = pixel;
			if ((pixel & 0xFF) >= 0xC0)
				continue;
			ink.left = std::min(ink.left, float(x));
			ink.top = std::min(ink.top, float(y));
			ink.right = std::max(ink.right, float(x));
			ink.bottom = std::max(ink.bottom, float(y));
		}
	if (darkest != NULL)
		*darkest = dark;
	return ink;
}

}  // namespace control_test
