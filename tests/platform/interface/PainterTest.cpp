#include <gtest/gtest.h>

#include <Bitmap.h>

#include "interface/Painter.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <vector>

using platform::Painter;

namespace {

const uint32 kMarker = 0xFFABABABu;  // opaque, as every buffer a window draws in
const uint32 kGuard = 0xCDCDCDCDu;
const int kGuardWords = 64;
const rgb_color kRed = {255, 0, 0, 0};
const rgb_color kBlack = {0, 0, 0, 255};

// A buffer pre-filled with a marker, with guard words on both sides that no drawing may
// touch. Pixels read back as a picture: '#' red, '.' untouched.
class Canvas {
public:
	Canvas(int32 width, int32 height) :
		fWidth(width),
		fHeight(height),
		fWords(size_t(width * height + 2 * kGuardWords), kGuard),
		fPainter(Pixels(), width, height)
	{
		std::fill(Pixels(), Pixels() + width * height, kMarker);
	}

	Painter& P() { return fPainter; }
	uint32* Pixels() { return fWords.data() + kGuardWords; }
	uint32 At(int32 x, int32 y) { return Pixels()[y * fWidth + x]; }

	std::string Picture()
	{
		std::string picture;
		for (int32 y = 0; y < fHeight; y++) {
			for (int32 x = 0; x < fWidth; x++) {
				uint32 pixel = At(x, y);
				picture += pixel == kMarker ? '.' : pixel == 0xFFFF0000u ? '#' : '?';
			}
			picture += '\n';
		}
		return picture;
	}

	bool GuardsIntact() const
	{
		return std::all_of(fWords.begin(), fWords.begin() + kGuardWords, IsGuard)
			&& std::all_of(fWords.end() - kGuardWords, fWords.end(), IsGuard);
	}

	// Columns and rows that hold anything but the marker.
	bool InkBox(int32* left, int32* top, int32* right, int32* bottom)
	{
		*left = fWidth, *top = fHeight, *right = -1, *bottom = -1;
		for (int32 y = 0; y < fHeight; y++) {
			for (int32 x = 0; x < fWidth; x++) {
				if (At(x, y) == kMarker)
					continue;
				*left = std::min(*left, x), *right = std::max(*right, x);
				*top = std::min(*top, y), *bottom = std::max(*bottom, y);
			}
		}
		return *right >= 0;
	}

private:
	static bool IsGuard(uint32 word) { return word == kGuard; }

	int32 fWidth;
	int32 fHeight;
	std::vector<uint32> fWords;
	Painter fPainter;
};

std::string Rows(std::initializer_list<const char*> rows)
{
	std::string picture;
	for (const char* row : rows)
		picture += std::string(row) + "\n";
	return picture;
}

}  // namespace

TEST(Painter, FillRectCoversItsRightAndBottomEdges)
{
	Canvas canvas(6, 5);
	canvas.P().SetOrigin(BPoint(1, 0));
	canvas.P().FillRect(BRect(0, 1, 2, 2), kRed);  // alpha 0 still paints opaque
	EXPECT_EQ(canvas.Picture(), Rows({"......", ".###..", ".###..", "......", "......"}));
}

TEST(Painter, FractionalCoordinatesLandOnTheRoundedPixel)
{
	Canvas canvas(6, 4);
	canvas.P().FillRect(BRect(0.5, 0.51, 2.49, 2.5), kRed);
	EXPECT_EQ(canvas.Picture(), Rows({"......", ".##...", ".##...", ".##..."}));
}

TEST(Painter, ShallowLineStepsAtTheHalfwayPoint)
{
	Canvas canvas(5, 2);
	canvas.P().StrokeLine(BPoint(0, 0), BPoint(4, 1), kRed);
	EXPECT_EQ(canvas.Picture(), Rows({"##...", "..###"}));
}

TEST(Painter, LinesInEveryOctantReachBothEndsAndDoNotDependOnDirection)
{
	const int deltas[][2] = {
		{7, 3}, {3, 7}, {-3, 7}, {-7, 3}, {-7, -3}, {-3, -7}, {3, -7}, {7, -3}, {5, 5}, {-5, 5}};
	for (const auto& d : deltas) {
		Canvas forward(17, 17), backward(17, 17);
		BPoint start(8, 8), end(8 + d[0], 8 + d[1]);
		forward.P().StrokeLine(start, end, kRed);
		backward.P().StrokeLine(end, start, kRed);
		SCOPED_TRACE(testing::Message() << d[0] << "," << d[1]);
		std::string picture = forward.Picture();
		EXPECT_EQ(picture, backward.Picture());
		EXPECT_EQ(forward.At(8, 8), 0xFFFF0000u);
		EXPECT_EQ(forward.At(8 + d[0], 8 + d[1]), 0xFFFF0000u);
		// One pixel per step along the longer axis: no gaps, no doubled steps.
		EXPECT_EQ(std::count(picture.begin(), picture.end(), '#'),
			std::max(std::abs(d[0]), std::abs(d[1])) + 1);
	}
}

TEST(Painter, OutOfRangeCoordinatesNeverWriteOutsideTheBuffer)
{
	const float inf = std::numeric_limits<float>::infinity();
	const float nan = std::numeric_limits<float>::quiet_NaN();
	Canvas canvas(8, 6);
	Painter& p = canvas.P();
	p.SetClip(BRect(-100, -100, 100, 100));  // cut to the buffer
	p.FillRect(BRect(3, 0, 1, 3), kRed);  // inverted: nothing
	p.FillRect(BRect(nan, 0, 3, 3), kRed);
	p.StrokeRect(BRect(0, 0, nan, 3), kRed);
	p.StrokeLine(BPoint(0, 0), BPoint(nan, 5), kRed);
	p.DrawString("x", -1, BPoint(nan, 5), kRed);
	EXPECT_EQ(canvas.Picture(), Canvas(8, 6).Picture()) << "NaN and inverted draw nothing";

	p.StrokeLine(BPoint(-inf, 2), BPoint(inf, 2), kRed);
	p.StrokeLine(BPoint(-3e9, -1e9), BPoint(3e9, 1e9), kRed);
	p.StrokeRect(BRect(-1e30, -1e30, 1e30, 1e30), kRed);
	p.FillRect(BRect(7, 5, inf, inf), kRed);
	p.StrokeLine(BPoint(1e9, 5), BPoint(-1e9, 5), kRed);
	EXPECT_TRUE(canvas.GuardsIntact());
	EXPECT_EQ(canvas.Picture(),
		Rows({"##......", "..###...", "########", "........", "........", "########"}));
}

TEST(Painter, DrawBitmapMapsIndicesThroughTheColourMapAndSkipsTransparent)
{
	BBitmap bitmap(BRect(0, 0, 3, 1), B_CMAP8);
	const uint8 bits[8] = {0, 255, 100, 255, 255, 31, 255, 7};
	bitmap.SetBits(bits, 8, 0, B_CMAP8);
	Canvas canvas(5, 3);
	canvas.P().SetClip(BRect(0, 0, 3, 2));
	canvas.P().DrawBitmap(&bitmap, BPoint(1, 1));

	const rgb_color* map = system_colors()->color_list;
	EXPECT_EQ(canvas.At(1, 1), platform::PackColor(map[0]));
	EXPECT_EQ(canvas.At(2, 1), kMarker);
	EXPECT_EQ(canvas.At(3, 1), platform::PackColor(map[100]));
	EXPECT_EQ(canvas.At(2, 2), platform::PackColor(map[31]));
	EXPECT_EQ(canvas.At(4, 2), kMarker) << "clipped";
	EXPECT_EQ(canvas.At(1, 2), kMarker);
	EXPECT_EQ(canvas.At(0, 0), kMarker);
}

TEST(PainterText, InkSitsOnTheBaselineWithinAnAscentOfAboutTenPixels)
{
	Canvas canvas(40, 20);
	canvas.P().DrawString("HI", -1, BPoint(5, 14), kBlack);
	int32 left, top, right, bottom;
	ASSERT_TRUE(canvas.InkBox(&left, &top, &right, &bottom));
	font_height height;
	Painter::GetFontHeight(&height);
	EXPECT_NEAR(height.ascent, 10, 1);
	EXPECT_EQ(bottom, 14);
	EXPECT_GE(top, 14 - int32(height.ascent));
	EXPECT_GE(left, 5);
	EXPECT_LE(right, 5 + int32(Painter::StringWidth("HI", -1)));
}

TEST(PainterText, StringWidthIsTheAdvanceTheDrawingUses)
{
	// Drawing two halves side by side, the second at the first's measured width, gives the
	// same pixels as drawing the whole text once.
	const char* halves[][2] = {{"Ab", "out"}, {"Set ", "icon"}, {"Q", "uit"}};
	for (const auto& half : halves) {
		Canvas once(80, 16), twice(80, 16);
		std::string whole = std::string(half[0]) + half[1];
		once.P().DrawString(whole.c_str(), -1, BPoint(2, 12), kBlack);
		twice.P().DrawString(half[0], -1, BPoint(2, 12), kBlack);
		twice.P().DrawString(
			half[1], -1, BPoint(2 + Painter::StringWidth(half[0], -1), 12), kBlack);
		EXPECT_EQ(once.Picture(), twice.Picture()) << whole;
		EXPECT_FLOAT_EQ(Painter::StringWidth(whole.c_str(), -1),
			Painter::StringWidth(half[0], -1) + Painter::StringWidth(half[1], -1));
	}
}

TEST(PainterText, ThreadsMeasureAndDrawTheSameAtOnce)
{
	Canvas reference(50, 16);
	reference.P().DrawString("Clear icon", -1, BPoint(1, 12), kBlack);
	float width = Painter::StringWidth("Clear icon", -1);

	std::atomic<int> good(0);
	std::vector<std::thread> threads;
	for (int t = 0; t < 4; t++) {
		threads.emplace_back([&, t] {
			for (int i = 0; i < 20; i++) {
				Canvas canvas(50, 16);
				canvas.P().DrawString("Clear icon", -1, BPoint(1, 12), kBlack);
				std::string other = "label " + std::to_string(t * 100 + i);
				good += canvas.Picture() == reference.Picture()
					&& Painter::StringWidth("Clear icon", -1) == width
					&& Painter::StringWidth(other.c_str(), -1) > 0;
			}
		});
	}
	for (std::thread& thread : threads)
		thread.join();
	EXPECT_EQ(good, 80);
}
