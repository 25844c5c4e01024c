#ifndef EXPECTED_LOOK_H
#define EXPECTED_LOOK_H

#include <GraphicsDefs.h>
#include <Rect.h>

#include <string>
#include <vector>

namespace control_test {

enum Look {
	kFlatEnabled,
	kFlatDisabled,
	kRaised,
	kPressed
};

// The pixels a flat button of the given size must show, written out from its drawing rules
// for everything but the glyphs of its label: where the label may put ink, the pixel is
// marked as free, and only its background colour is known.
class ExpectedLook {
public:
	ExpectedLook(int32 width, int32 height, Look look, BPoint label, float labelWidth,
		float ascent, float descent);

	// Empty when the pixels match; else a description of the first mismatches.
	std::string Compare(const std::vector<uint32>& pixels) const;
	// The darkest pixel inside the label's area, for checking the label colour.
	static uint32 DarkestIn(const std::vector<uint32>& pixels, int32 width, BRect area);
	BRect LabelArea() const { return fLabelArea; }

private:
	void Fill(BRect rect, rgb_color color);
	void Line(BPoint from, BPoint to, rgb_color color);
	void Set(int32 x, int32 y, uint32 color);
	void FreeLabelArea(BPoint label, float labelWidth, float ascent, float descent);

	int32 fWidth;
	int32 fHeight;
	std::vector<uint32> fPixels;
	std::vector<bool> fFree;
	BRect fLabelArea;
};

uint32 Packed(rgb_color color);

}  // namespace control_test

#endif
