#include <View.h>
#include <Window.h>

#include "WindowTestSupport.h"
#include "interface/Painter.h"

using namespace window_test;

namespace {

const int32 kWidth = 12;
const BRect kFrame(100, 100, 100 + kWidth - 1, 109);  // 12 x 10
const BRect kChildFrame(2, 2, 9, 7);  // 8 x 6, in the window
const rgb_color kGrey = {100, 100, 100, 255};
const rgb_color kWhite = {255, 255, 255, 255};
const rgb_color kBlack = {0, 0, 0, 255};
const rgb_color kRed = {255, 0, 0, 255};

typedef std::function<void(BView*)> Painting;

// Paints as given; pressed, it paints red at once and holds on until the buttons are up.
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
	void MouseDown(BPoint) override
	{
		SetHighColor(kRed);
		FillRect(Bounds());
		for (uint32 buttons = 1; buttons != 0; snooze(5000)) {
			BPoint where;
			GetMouse(&where, &buttons, true);
		}
	}

private:
	Painting fPaint;
};

}  // namespace

// Over a grey window, a white child (kChildFrame) paints in its own coordinates, clipped to
// itself and every parent: FillRect covers its right and bottom edges, StrokeRect paints only
// the rectangle's edges, StrokeLine includes both ends and goes on from the pen.
TEST(BViewDrawing, EachShapePaintsExactlyItsPixelsClippedToTheViewAndEveryParent)
{
	Watchdog watchdog;
	const struct {
		Painting paint;
		bool grandchild;  // a red one reaching past its parent's right and bottom edges
		std::vector<std::pair<BRect, rgb_color>> fills;  // over the grey and white
	} kRows[] = {
		{[](BView* view) { view->FillRect(BRect(1, 1, 3, 2)); }, false,
			{{BRect(3, 3, 5, 4), kBlack}}},
		{[](BView* view) { view->StrokeRect(view->Bounds()); }, false,
			{{kChildFrame, kBlack}, {kChildFrame.InsetByCopy(1, 1), kWhite}}},
		{[](BView* view) {
			 view->SetHighColor(kRed);
			 view->StrokeLine(BPoint(0, 0), BPoint(4, 0));
			 view->StrokeLine(BPoint(4, 3));
		 },
			false, {{BRect(2, 2, 6, 2), kRed}, {BRect(6, 2, 6, 5), kRed}}},
		{[](BView*) {}, true, {{BRect(7, 5, 9, 7), kBlack}}},
	};
	for (size_t i = 0; i < sizeof(kRows) / sizeof(kRows[0]); i++) {
		BWindow* window = NewWindow(kFrame, "drawing");
		BView* background = new PaintingView(window->Bounds(), kGrey);
		BView* child = new PaintingView(kChildFrame, kWhite, kRows[i].paint);
		if (kRows[i].grandchild)
			child->AddChild(new PaintingView(BRect(5, 3, 12, 10), kRed,
				[](BView* view) { view->FillRect(BRect(-100, -100, 100, 100)); }));
		background->AddChild(child);
		window->AddChild(background);
		ShownWindow shown(window);

		std::vector<uint32> expected(kWidth * 10, platform::PackColor(kGrey));
		auto fill = [&](BRect r, rgb_color color) {
			for (int32 y = (int32)r.top; y <= (int32)r.bottom; y++)
				for (int32 x = (int32)r.left; x <= (int32)r.right; x++)
					expected[y * kWidth + x] = platform::PackColor(color);
		};
		fill(kChildFrame, kWhite);
		for (const auto& f : kRows[i].fills)
			fill(f.first, f.second);
		EXPECT_EQ(shown.Pixels(), expected) << "row " << i;
	}
}

TEST(BViewDrawing, DirectDrawDuringAPressReachesTheScreenAtOnce)
{
	Watchdog watchdog;
	BWindow* window = NewWindow(kFrame, "pressed");
	window->AddChild(new PaintingView(window->Bounds(), kWhite));
	ShownWindow shown(window);
	platform::HeadlessHost& host = shown.Host();

	host.InjectMouseDown(shown.Id(), BPoint(3, 3));
	EXPECT_TRUE(testing_support::WaitUntil(
		[&] { return host.PixelAt(shown.Id(), 3, 3) == platform::PackColor(kRed); }));
	host.InjectMouseUp(shown.Id(), BPoint(3, 3));
	shown.Idle();
}
