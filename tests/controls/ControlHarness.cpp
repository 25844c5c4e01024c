#include "ControlHarness.h"

#include <gtest/gtest.h>

#include <atomic>

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

RecordingView::RecordingView(BRect frame, MessageLog* log)
	:
	BView(frame, "background", B_FOLLOW_NONE, B_WILL_DRAW),
	fLog(log)
{
	SetViewColor(kViewColor);
}

void RecordingView::MessageReceived(BMessage* message)
{
	fLog->Add(message);
}

RecordingWindow::RecordingWindow(BRect frame, const char* title, MessageLog* log)
	:
	BWindow(frame, title, B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, B_NOT_RESIZABLE),
	fLog(log)
{
}

void RecordingWindow::MessageReceived(BMessage* message)
{
	fLog->Add(message);
	BWindow::MessageReceived(message);
}

ControlHarness::ControlHarness(BView* control)
	:
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

}  // namespace control_test
