#include "ExpectedLook.h"

#include <math.h>
#include <stdio.h>

#include <algorithm>

namespace control_test {

namespace {

const rgb_color kBase = {217, 217, 217, 0};
const rgb_color kFace = {232, 232, 232, 255};
const rgb_color kInk = {0, 0, 0, 0};
const rgb_color kDim = {151, 151, 151, 0};
const rgb_color kInner = {240, 240, 240, 0};
const rgb_color kHighlight = {255, 255, 255, 0};

}  // namespace

uint32 Packed(rgb_color c)
{
	return 0xFF000000u | (uint32(c.red) << 16) | (uint32(c.green) << 8) | c.blue;
}

ExpectedLook::ExpectedLook(int32 width, int32 height, Look look, BPoint label,
	float labelWidth, float ascent, float descent)
	:
	fWidth(width),
	fHeight(height),
	fPixels(width * height, 0),
	fFree(width * height, false)
{
	BRect f(0, 0, width - 1, height - 1);
	Fill(f, kBase);
	switch (look) {
		case kFlatEnabled:
		case kFlatDisabled:
			if (look == kFlatEnabled)
				Fill(f, kFace);
			FreeLabelArea(label, labelWidth, ascent, descent);
			for (int32 x = 0; x < width; x++) {
				Set(x, 0, Packed(kDim));
				Set(x, height - 1, Packed(kDim));
			}
			for (int32 y = 0; y < height; y++) {
				Set(0, y, Packed(kDim));
				Set(width - 1, y, Packed(kDim));
			}
			for (int32 x = 1; x < width - 1; x++) {
				Set(x, 1, Packed(kInner));
				Set(x, height - 2, Packed(kInner));
			}
			for (int32 y = 1; y < height - 1; y++) {
				Set(1, y, Packed(kInner));
				Set(width - 2, y, Packed(kInner));
			}
			break;
		case kRaised:
			f.right -= 2;
			f.bottom -= 2;
			Fill(f, kFace);
			FreeLabelArea(BPoint(label.x - 1, label.y - 1), labelWidth, ascent, descent);
			Line(f.RightTop(), f.RightBottom(), kInk);
			Line(f.RightBottom(), f.LeftBottom(), kInk);
			Line(f.LeftBottom(), f.LeftTop(), kHighlight);
			Line(f.LeftTop(), f.RightTop(), kHighlight);
			break;
		case kPressed:
			f.left += 2;
			f.top += 2;
			Fill(f, kFace);
			FreeLabelArea(BPoint(label.x + 1, label.y + 1), labelWidth, ascent, descent);
			Line(f.RightTop(), f.RightBottom(), kHighlight);
			Line(f.RightBottom(), f.LeftBottom(), kHighlight);
			Line(f.LeftBottom(), f.LeftTop(), kInk);
			Line(f.LeftTop(), f.RightTop(), kInk);
			break;
	}
}

void ExpectedLook::Fill(BRect rect, rgb_color color)
{
	for (int32 y = int32(rect.top); y <= int32(rect.bottom); y++)
		for (int32 x = int32(rect.left); x <= int32(rect.right); x++) {
			fPixels[y * fWidth + x] = Packed(color);
			fFree[y * fWidth + x] = false;
		}
}

// Only horizontal and vertical lines occur in the looks.
void ExpectedLook::Line(BPoint from, BPoint to, rgb_color color)
{
	int32 x0 = int32(std::min(from.x, to.x)), x1 = int32(std::max(from.x, to.x));
	int32 y0 = int32(std::min(from.y, to.y)), y1 = int32(std::max(from.y, to.y));
	for (int32 y = y0; y <= y1; y++)
		for (int32 x = x0; x <= x1; x++)
			Set(x, y, Packed(color));
}

void ExpectedLook::Set(int32 x, int32 y, uint32 color)
{
	if (x < 0 || y < 0 || x >= fWidth || y >= fHeight)
		return;
	fPixels[y * fWidth + x] = color;
	fFree[y * fWidth + x] = false;
}

// Glyphs may reach a pixel beyond their advance and metrics, for antialiasing.
void ExpectedLook::FreeLabelArea(BPoint label, float labelWidth, float ascent, float descent)
{
	fLabelArea = BRect(floorf(label.x) - 1, floorf(label.y - ascent) - 1,
		ceilf(label.x + labelWidth) + 1, ceilf(label.y + descent) + 1);
	for (int32 y = std::max(0, int32(fLabelArea.top));
		 y <= std::min(fHeight - 1, int32(fLabelArea.bottom)); y++)
		for (int32 x = std::max(0, int32(fLabelArea.left));
			 x <= std::min(fWidth - 1, int32(fLabelArea.right)); x++)
			fFree[y * fWidth + x] = true;
}

std::string ExpectedLook::Compare(const std::vector<uint32>& pixels) const
{
	if (pixels.size() != fPixels.size())
		return "size differs";
	std::string report;
	int mismatches = 0;
	for (int32 i = 0; i < fWidth * fHeight; i++) {
		if (fFree[i] || pixels[i] == fPixels[i])
			continue;
		if (++mismatches <= 8) {
			char line[96];
			snprintf(line, sizeof(line), "(%d, %d): %08X, expected %08X\n", i % fWidth,
				i / fWidth, pixels[i], fPixels[i]);
			report += line;
		}
	}
	if (mismatches > 8)
		report += std::to_string(mismatches) + " pixels differ in all\n";
	return report;
}

uint32 ExpectedLook::DarkestIn(const std::vector<uint32>& pixels, int32 width, BRect area)
{
	uint32 darkest = 0xFFFFFFFF;
	int32 height = int32(pixels.size()) / width;
	for (int32 y = std::max(0, int32(area.top)); y <= std::min(height - 1, int32(area.bottom));
		 y++)
		for (int32 x = std::max(0, int32(area.left));
			 x <= std::min(width - 1, int32(area.right)); x++)
			if ((pixels[y * width + x] & 0xFF) < (darkest & 0xFF))
				darkest = pixels[y * width + x];
	return darkest;
}

}  // namespace control_test
