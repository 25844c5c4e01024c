#include <View.h>
#include <Window.h>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "WindowTestSupport.h"
#include "interface/Painter.h"

using namespace window_test;

namespace {

const int32 kWidth = 12;
const int32 kHeight = 10;
const BRect kFrame(100, 100, 100 + kWidth - 1, 100 + kHeight - 1);
const BRect kChildFrame(2, 2, 9, 7);  // 8 x 6, in the window
const rgb_color kGrey = {100, 100, 100, 255};
const rgb_color kWhite = {255, 255, 255, 255};
const rgb_color kBlack = {0, 0, 0, 255};
const rgb_color kRed = {255, 0, 0, 255};

typedef std::function<void(BView*)> Painting;

class PaintingView : public BView {
public:
	PaintingView(BRect frame, rgb_color viewColor, Painting paint = Painting())
		:
		BView(frame, "painting", B_FOLLOW_NONE, B_WILL_DRAW),
		fPaint(paint)
	{
		SetViewColor(viewColor);
	}
	void Draw(BRect) override
	{
		if (fPaint)
			fPaint(this);
	}

private:
	Painting fPaint;
};

// What the screen should hold: grey around a white child, plus what a test adds.
class Expected {
public:
	Expected() : fPixels(kWidth * kHeight, platform::PackColor(kGrey))
	{
		Fill(kChildFrame, kWhite);
	}
	void Fill(BRect r, rgb_color color)
	{
		for (int32 y = (int32)r.top; y <= (int32)r.bottom; y++)
			for (int32 x = (int32)r.left; x <= (int32)r.right; x++)
				Set(x, y, color);
	}
	void Set(int32 x, int32 y, rgb_color color)
	{
		fPixels[y * kWidth + x] = platform::PackColor(color);
	}
	const std::vector<uint32>& Pixels() const { return fPixels; }

private:
	std::vector<uint32> fPixels;
};

// A grey window with one white child view that paints as given.
class DrawingWindow {
public:
	explicit DrawingWindow(Painting paint, BView* grandchild = NULL)
	{
		BWindow* window = NewWindow(kFrame, "drawing");
		BView* background = new PaintingView(window->Bounds(), kGrey);
		fChild = new PaintingView(kChildFrame, kWhite, paint);
		if (grandchild != NULL)
			fChild->AddChild(grandchild);
		background->AddChild(fChild);
		window->AddChild(background);
		fShown.reset(new ShownWindow(window));
	}
	ShownWindow& Shown() { return *fShown; }
	BView* Child() const { return fChild; }

private:
	BView* fChild;
	std::unique_ptr<ShownWindow> fShown;
};

}  // namespace

TEST(BViewDrawing, FillRectCoversItsRightAndBottomEdges)
{
	Watchdog watchdog;
	DrawingWindow drawing([](BView* view) { view->FillRect(BRect(1, 1, 3, 2)); });
	Expected expected;
	expected.Fill(BRect(3, 3, 5, 4), kBlack);
	EXPECT_EQ(drawing.Shown().Pixels(), expected.Pixels());
}

TEST(BViewDrawing, StrokeRectPaintsOnlyTheRectanglesOwnEdges)
{
	Watchdog watchdog;
	DrawingWindow drawing([](BView* view) { view->StrokeRect(view->Bounds()); });
	Expected expected;
	expected.Fill(kChildFrame, kBlack);
	expected.Fill(kChildFrame.InsetByCopy(1, 1), kWhite);
	EXPECT_EQ(drawing.Shown().Pixels(), expected.Pixels());
}

TEST(BViewDrawing, StrokeLineIncludesBothEndsAndGoesOnFromThePen)
{
	Watchdog watchdog;
	BPoint pen;
	DrawingWindow drawing([&](BView* view) {
		view->SetHighColor(kRed);
		view->StrokeLine(BPoint(0, 0), BPoint(4, 0));
		view->StrokeLine(BPoint(4, 3));
		pen = view->PenLocation();
	});
	Expected expected;
	expected.Fill(BRect(2, 2, 6, 2), kRed);
	expected.Fill(BRect(6, 2, 6, 5), kRed);
	EXPECT_EQ(drawing.Shown().Pixels(), expected.Pixels());
	EXPECT_EQ(pen, BPoint(4, 3));
}

TEST(BViewDrawing, DrawingIsClippedToTheViewAndEveryParent)
{
	Watchdog watchdog;
	// The grandchild reaches past its parent's right and bottom edges.
	BView* grandchild = new PaintingView(BRect(5, 3, 12, 10), kRed,
		[](BView* view) { view->FillRect(BRect(-100, -100, 100, 100)); });
	DrawingWindow drawing([](BView*) {}, grandchild);
	Expected expected;
	expected.Fill(BRect(7, 5, 9, 7), kBlack);
	EXPECT_EQ(drawing.Shown().Pixels(), expected.Pixels());
}

TEST(BViewDrawing, SolidLowPatternPaintsTheLowColour)
{
	Watchdog watchdog;
	DrawingWindow drawing([](BView* view) {
		view->SetLowColor(kRed);
		view->FillRect(BRect(0, 0, 1, 1), B_SOLID_LOW);
	});
	Expected expected;
	expected.Fill(BRect(2, 2, 3, 3), kRed);
	EXPECT_EQ(drawing.Shown().Pixels(), expected.Pixels());
}

TEST(BViewDrawing, TextIsClippedToTheView)
{
	Watchdog watchdog;
	DrawingWindow drawing([](BView* view) { view->DrawString("WWWWWW", BPoint(-3, 5)); });
	std::vector<uint32> pixels = drawing.Shown().Pixels();
	Expected untouched;
	bool inked = false;
	for (int32 y = 0; y < kHeight; y++) {
		for (int32 x = 0; x < kWidth; x++) {
			uint32 before = untouched.Pixels()[y * kWidth + x];
			if (kChildFrame.Contains(BPoint(x, y)))
				inked |= pixels[y * kWidth + x] != before;
			else
				EXPECT_EQ(pixels[y * kWidth + x], before) << x << ", " << y;
		}
	}
	EXPECT_TRUE(inked);
}

TEST(BViewDrawing, DrawStringMovesThePenByTheMeasuredWidth)
{
	BView view(BRect(0, 0, 9, 9), "view", B_FOLLOW_NONE, 0);
	view.DrawString("Set icon", BPoint(3, 12));
	EXPECT_FLOAT_EQ(view.PenLocation().x, 3 + view.StringWidth("Set icon"));
	EXPECT_FLOAT_EQ(view.PenLocation().y, 12);
	EXPECT_GT(view.StringWidth("Set icon"), view.StringWidth("Set"));
}

namespace {

// Paints red at once when pressed, then holds on until the buttons are up.
class PressedPaintingView : public BView {
public:
	PressedPaintingView(BRect frame) : BView(frame, "pressed", B_FOLLOW_NONE, B_WILL_DRAW) {}
	void Draw(BRect) override
	{
		SetHighColor(fPressed ? kRed : kWhite);
		FillRect(Bounds());
	}
	void MouseDown(BPoint) override
	{
		fPressed = true;
		Draw(Bounds());
		uint32 buttons = 1;
		while (buttons != 0) {
			BPoint where;
			GetMouse(&where, &buttons, true);
			snooze(5000);
		}
	}

private:
	bool fPressed = false;
};

}  // namespace

TEST(BViewDrawing, DirectDrawDuringAPressReachesTheScreenAtOnce)
{
	Watchdog watchdog;
	BWindow* window = NewWindow(kFrame, "pressed");
	window->AddChild(new PressedPaintingView(window->Bounds()));
	ShownWindow shown(window);
	platform::HeadlessHost& host = shown.Host();

	host.InjectMouseDown(shown.Id(), BPoint(3, 3));
	EXPECT_TRUE(testing_support::WaitUntil(
		[&] { return host.PixelAt(shown.Id(), 3, 3) == platform::PackColor(kRed); }));
	host.InjectMouseUp(shown.Id(), BPoint(3, 3));
	shown.Idle();
}
