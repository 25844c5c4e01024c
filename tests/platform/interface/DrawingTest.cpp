#include <View.h>
#include <Window.h>

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
	PaintingView(BRect frame, rgb_color viewColor, Painting paint = Painting()) :
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
	Expected() :
		fPixels(kWidth * kHeight, platform::PackColor(kGrey))
	{
		Fill(kChildFrame, kWhite);
	}
	void Fill(BRect r, rgb_color color)
	{
		for (int32 y = (int32)r.top; y <= (int32)r.bottom; y++)
			for (int32 x = (int32)r.left; x <= (int32)r.right; x++)
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
		BView* child = new PaintingView(kChildFrame, kWhite, paint);
		if (grandchild != NULL)
			child->AddChild(grandchild);
		background->AddChild(child);
		window->AddChild(background);
		fShown.reset(new ShownWindow(window));
	}
	ShownWindow& Shown() { return *fShown; }

private:
	std::unique_ptr<ShownWindow> fShown;
};

}  // namespace

TEST(BViewDrawing, EachShapePaintsExactlyItsPixelsClippedToTheViewAndEveryParent)
{
	Watchdog watchdog;
	typedef std::vector<std::pair<BRect, rgb_color>> Fills;  // over the grey and white
	const struct {
		Painting paint;
		bool grandchild;  // a red one reaching past its parent's right and bottom edges
		Fills expected;
	} kRows[] = {
		// FillRect covers its right and bottom edges.
		{[](BView* view) { view->FillRect(BRect(1, 1, 3, 2)); }, false,
			{{BRect(3, 3, 5, 4), kBlack}}},
		// StrokeRect paints only the rectangle's own edges.
		{[](BView* view) { view->StrokeRect(view->Bounds()); }, false,
			{{kChildFrame, kBlack}, {kChildFrame.InsetByCopy(1, 1), kWhite}}},
		// StrokeLine includes both ends and goes on from the pen.
		{[](BView* view) {
			 view->SetHighColor(kRed);
			 view->StrokeLine(BPoint(0, 0), BPoint(4, 0));
			 view->StrokeLine(BPoint(4, 3));
		 },
			false, {{BRect(2, 2, 6, 2), kRed}, {BRect(6, 2, 6, 5), kRed}}},
		{[](BView*) {}, true, {{BRect(7, 5, 9, 7), kBlack}}},
	};
	for (size_t i = 0; i < sizeof(kRows) / sizeof(kRows[0]); i++) {
		BView* grandchild = !kRows[i].grandchild
			? NULL
			: new PaintingView(BRect(5, 3, 12, 10), kRed,
				[](BView* view) { view->FillRect(BRect(-100, -100, 100, 100)); });
		DrawingWindow drawing(kRows[i].paint, grandchild);
		Expected expected;
		for (const auto& fill : kRows[i].expected)
			expected.Fill(fill.first, fill.second);
		EXPECT_EQ(drawing.Shown().Pixels(), expected.Pixels()) << "row " << i;
	}
}

namespace {

// Paints red at once when pressed, then holds on until the buttons are up.
class PressedPaintingView : public BView {
public:
	PressedPaintingView(BRect frame) :
		BView(frame, "pressed", B_FOLLOW_NONE, B_WILL_DRAW)
	{
	}
	void Draw(BRect) override
	{
		SetHighColor(fPressed ? kRed : kWhite);
		FillRect(Bounds());
	}
	void MouseDown(BPoint) override
	{
		fPressed = true;
		Draw(Bounds());
		for (uint32 buttons = 1; buttons != 0; snooze(5000)) {
			BPoint where;
			GetMouse(&where, &buttons, true);
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
