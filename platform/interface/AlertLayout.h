#ifndef PLATFORM_ALERT_LAYOUT_H
#define PLATFORM_ALERT_LAYOUT_H

#include <Alert.h>
#include <Rect.h>

#include <string>
#include <vector>

namespace platform {

// Where everything of an alert goes, in the alert's own coordinates, from its text, its
// button labels and the plain font's measures: the icon in a stripe at the left, the text
// beside it one line per '\n' (an empty line keeps its height), the buttons in a row at
// the bottom right, in index order from left to right.
struct AlertLayout {
	BRect bounds;
	bool hasIcon = false;
	BRect stripe;  // the darker band behind the icon
	BPoint iconAt;  // the icon's top left
	float textLeft = 0;
	float firstBaseline = 0;
	float lineHeight = 0;
	std::vector<std::string> lines;
	std::vector<BRect> buttons;

	static AlertLayout Compute(const std::string& text, const std::vector<std::string>& labels,
		button_width width, alert_type type);
	// The button under point, or -1.
	int32 ButtonAt(BPoint point) const;

private:
	void PlaceButtons(const std::vector<std::string>& labels, button_width width, float top);
};

}  // namespace platform

#endif
