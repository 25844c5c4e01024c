#include <gtest/gtest.h>

#include <Bitmap.h>

#include "interface/Painter.h"

#include <algorithm>
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
// back as rows joined by '|': '#' red, 'k' black, 'c' the colour map's entry 100, '.'
// untouched, '?' anything else; or as "guards broken".
struct Canvas {
	Canvas(int32 width, int32 height) :
		width(width),
		height(height),
		words(size_t(width * height + 2 * kGuard), kMarker),
		painter(words.data() + kGuard, width, height)
	{
		std::fill_n(words.begin(), kGuard, kGuardWord);
		std::fill_n(words.end() - kGuard, kGuard, kGuardWord);
	}
	std::string Picture() const
	{
		const uint32 kColours[] = {kMarker, 0xFFFF0000u, 0xFF000000u,
			platform::PackColor(system_colors()->color_list[100])};
		if (std::count(words.begin(), words.begin() + kGuard, kGuardWord)
				+ std::count(words.end() - kGuard, words.end(), kGuardWord)
			!= 2 * kGuard)
			return "guards broken";
		std::string picture;
		for (int32 y = 0; y < height; y++) {
			for (int32 x = 0; x < width; x++) {
				const uint32* found =
					std::find(kColours, kColours + 4, words[kGuard + y * width + x]);
				picture += ".#kc?"[found - kColours];
			}
			picture += y + 1 < height ? "|" : "";
		}
		return picture;
	}

	int32 width, height;
	std::vector<uint32> words;
	Painter painter;
};

}  // namespace

// Rectangles cover their right and bottom edges, coordinates round to the nearest pixel, and
// a line steps at the halfway point (the controls' tests show the origin at work). NaN and inverted shapes
// draw nothing, and nothing, however far out, reaches beyond the buffer. SetBits copies only
// what fits, from the offset on; DrawBitmap maps the indices through the colour map, index 0
// black, and leaves transparent and clipped pixels alone.
TEST(Painter, EachDrawingPaintsExactlyItsPixelsAndNothingBeyondTheBuffer)
{
	const float inf = std::numeric_limits<float>::infinity();
	const float nan = std::numeric_limits<float>::quiet_NaN();
	BBitmap bitmap(BRect(0, 0, 3, 1), B_CMAP8);
	std::fill_n(static_cast<uint8*>(bitmap.Bits()), 8, B_TRANSPARENT_8_BIT);
	std::vector<uint8> bits = {0, 255, 100, 255, 255, 31};
	bits.resize(100, 7);
	bitmap.SetBits(bits.data(), bits.size(), 2, B_CMAP8);
	const struct {
		int32 width, height;
		std::function<void(Painter&)> paint;
		const char* picture;
	} kRows[] = {
		{6, 4, [](Painter& p) { p.FillRect(BRect(0.5, 0.51, 2.49, 2.5), kRed); },
			"......|.##...|.##...|.##..."},
		{5, 2, [](Painter& p) { p.StrokeLine(BPoint(0, 0), BPoint(4, 1), kRed); }, "##...|..###"},
		{8, 6,
			[&](Painter& p) {
				p.SetClip(BRect(-100, -100, 100, 100));  // cut to the buffer
				p.FillRect(BRect(3, 0, 1, 3), kRed);
				p.FillRect(BRect(nan, 0, 3, 3), kRed);
				p.StrokeRect(BRect(0, 0, nan, 3), kRed);
				p.StrokeLine(BPoint(0, 0), BPoint(nan, 5), kRed);
				p.DrawString("x", -1, BPoint(nan, 5), kRed);
				p.StrokeLine(BPoint(-inf, 2), BPoint(inf, 2), kRed);
				p.StrokeLine(BPoint(-3e9, -1e9), BPoint(3e9, 1e9), kRed);
				p.StrokeRect(BRect(-1e30, -1e30, 1e30, 1e30), kRed);
				p.FillRect(BRect(7, 5, inf, inf), kRed);
				p.StrokeLine(BPoint(1e9, 5), BPoint(-1e9, 5), kRed);
			},
			"##......|..###...|########|........|........|########"},
		{6, 3,
			[&](Painter& p) {
				p.SetClip(BRect(0, 0, 4, 2));
				p.DrawBitmap(&bitmap, BPoint(2, 1));
			},
			"......|....k.|..c..."},
	};
	for (size_t i = 0; i < std::size(kRows); i++) {
		Canvas canvas(kRows[i].width, kRows[i].height);
		kRows[i].paint(canvas.painter);
		EXPECT_EQ(canvas.Picture(), kRows[i].picture) << "row " << i;
	}
}

// Two halves of a text drawn side by side, the second at the first's measured width, give
// the pixels of the whole, on every thread at once.
TEST(Painter, TextAdvancesByItsMeasuredWidthOnEveryThread)
{
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
