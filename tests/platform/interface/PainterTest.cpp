#include <gtest/gtest.h>

#include <Bitmap.h>

#include "interface/Painter.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <thread>
#include <vector>

using platform::Painter;

namespace {

const uint32 kMarker = 0xFFABABABu;  // opaque, as every buffer a window draws in
const uint32 kGuardWord = 0xCDCDCDCDu;
const int kGuard = 64;
const rgb_color kRed = {255, 0, 0, 0};  // alpha 0 still paints opaque
const rgb_color kBlack = {0, 0, 0, 255};

// A buffer pre-filled with a marker, between guard words that no drawing may touch. It reads
// back as rows joined by '|': '#' red, '.' untouched, '?' anything else.
class Canvas {
public:
	Canvas(int32 width, int32 height) :
		fWidth(width),
		fHeight(height),
		fWords(size_t(width * height + 2 * kGuard), kMarker),
		painter(fWords.data() + kGuard, width, height)
	{
		std::fill_n(fWords.begin(), kGuard, kGuardWord);
		std::fill_n(fWords.end() - kGuard, kGuard, kGuardWord);
	}
	uint32 At(int32 x, int32 y) const { return fWords[kGuard + y * fWidth + x]; }
	std::string Picture() const
	{
		std::string picture;
		for (int32 y = 0; y < fHeight; y++) {
			for (int32 x = 0; x < fWidth; x++)
				picture += At(x, y) == kMarker ? '.' : At(x, y) == 0xFFFF0000u ? '#' : '?';
			picture += y + 1 < fHeight ? "|" : "";
		}
		return picture;
	}
	bool GuardsIntact() const
	{
		return std::count(fWords.begin(), fWords.begin() + kGuard, kGuardWord)
			+ std::count(fWords.end() - kGuard, fWords.end(), kGuardWord)
			== 2 * kGuard;
	}

private:
	int32 fWidth;
	int32 fHeight;
	std::vector<uint32> fWords;

public:
	Painter painter;
};

}  // namespace

// Rectangles cover their right and bottom edges, coordinates round to the nearest pixel, the
// origin offsets everything, and a line steps at the halfway point.
TEST(Painter, ShapesPaintExactlyTheirPixels)
{
	const struct {
		int32 width, height;
		std::function<void(Painter&)> paint;
		const char* picture;
	} kRows[] = {
		{6, 4,
			[](Painter& p) {
				p.SetOrigin(BPoint(1, 0));
				p.FillRect(BRect(0, 1, 2, 2), kRed);
			},
			"......|.###..|.###..|......"},
		{6, 4, [](Painter& p) { p.FillRect(BRect(0.5, 0.51, 2.49, 2.5), kRed); },
			"......|.##...|.##...|.##..."},
		{5, 2, [](Painter& p) { p.StrokeLine(BPoint(0, 0), BPoint(4, 1), kRed); }, "##...|..###"},
	};
	for (size_t i = 0; i < sizeof(kRows) / sizeof(kRows[0]); i++) {
		Canvas canvas(kRows[i].width, kRows[i].height);
		kRows[i].paint(canvas.painter);
		EXPECT_EQ(canvas.Picture(), kRows[i].picture) << "row " << i;
	}
}

TEST(Painter, LinesInEveryOctantReachBothEndsAndDoNotDependOnDirection)
{
	const int deltas[][2] = {
		{7, 3}, {3, 7}, {-3, 7}, {-7, 3}, {-7, -3}, {-3, -7}, {3, -7}, {7, -3}, {5, 5}, {-5, 5}};
	for (const auto& d : deltas) {
		Canvas forward(17, 17), backward(17, 17);
		BPoint start(8, 8), end(8 + d[0], 8 + d[1]);
		forward.painter.StrokeLine(start, end, kRed);
		backward.painter.StrokeLine(end, start, kRed);
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
	Painter& p = canvas.painter;
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
	EXPECT_EQ(canvas.Picture(), "##......|..###...|########|........|........|########");
}

TEST(Painter, DrawBitmapMapsIndicesThroughTheColourMapAndSkipsTransparent)
{
	BBitmap bitmap(BRect(0, 0, 3, 1), B_CMAP8);
	const uint8 bits[8] = {0, 255, 100, 255, 255, 31, 255, 7};
	bitmap.SetBits(bits, 8, 0, B_CMAP8);
	Canvas canvas(5, 3);
	canvas.painter.SetClip(BRect(0, 0, 3, 2));
	canvas.painter.DrawBitmap(&bitmap, BPoint(1, 1));

	const rgb_color* map = system_colors()->color_list;
	EXPECT_EQ(canvas.At(1, 1), platform::PackColor(map[0]));
	EXPECT_EQ(canvas.At(3, 1), platform::PackColor(map[100]));
	EXPECT_EQ(canvas.At(2, 2), platform::PackColor(map[31]));
	EXPECT_EQ(canvas.Picture(), ".....|.?.?.|..?..") << "transparent and clipped left alone";
}

// Text's ink sits on the baseline within an ascent of about ten pixels; two halves drawn side
// by side, the second at the first's measured width, give the pixels of the whole; and
// threads measure and draw alike at once.
TEST(Painter, TextSitsOnTheBaselineAndAdvancesByItsMeasuredWidthOnEveryThread)
{
	font_height height;
	Painter::GetFontHeight(&height);
	EXPECT_NEAR(height.ascent, 10, 1);
	Canvas hi(40, 20);
	hi.painter.DrawString("HI", -1, BPoint(5, 14), kBlack);
	int32 bottom = -1;
	for (int32 y = 0; y < 20; y++)
		for (int32 x = 0; x < 40; x++)
			if (hi.At(x, y) != kMarker) {
				bottom = y;
				EXPECT_GE(y, 14 - int32(height.ascent));
				EXPECT_TRUE(x >= 5 && x <= 5 + Painter::StringWidth("HI", -1)) << x;
			}
	EXPECT_EQ(bottom, 14);

	auto halves = [] {
		const char* kHalves[][2] = {{"Ab", "out"}, {"Set ", "icon"}, {"Cle", "ar icon"}};
		for (const auto& half : kHalves) {
			Canvas once(80, 16), twice(80, 16);
			std::string whole = std::string(half[0]) + half[1];
			once.painter.DrawString(whole.c_str(), -1, BPoint(2, 12), kBlack);
			twice.painter.DrawString(half[0], -1, BPoint(2, 12), kBlack);
			twice.painter.DrawString(
				half[1], -1, BPoint(2 + Painter::StringWidth(half[0], -1), 12), kBlack);
			EXPECT_EQ(once.Picture(), twice.Picture()) << whole;
			EXPECT_FLOAT_EQ(Painter::StringWidth(whole.c_str(), -1),
				Painter::StringWidth(half[0], -1) + Painter::StringWidth(half[1], -1));
		}
	};
	std::vector<std::thread> threads;
	for (int t = 0; t < 4; t++)
		threads.emplace_back([&] {
			for (int i = 0; i < 10; i++)
				halves();
		});
	for (std::thread& thread : threads)
		thread.join();
}
