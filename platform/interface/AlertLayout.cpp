#include "interface/AlertLayout.h"

#include "interface/AlertIcons.h"
#include "interface/Painter.h"

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

const float kMargin = 10;
const float kStripeWidth = 30;
const BPoint kIconAt(18, 6);
const float kTextLeftBesideIcon = 55;
const float kButtonHeight = 24;
const float kButtonPadding = 12;  // either side of a label
const float kUsualButtonWidth = 60;
const float kButtonSpacing = 8;
const float kButtonsBelowText = 12;
const float kMinimumWidth = 240;

std::vector<std::string> SplitLines(const std::string& text)
{
	std::vector<std::string> lines;
	size_t start = 0;
	for (;;) {
		size_t end = text.find('\n', start);
		lines.push_back(text.substr(start, end == std::string::npos ? end : end - start));
		if (end == std::string::npos)
			break;
		start = end + 1;
	}
	return lines;
}

float LabelWidth(const std::string& label)
{
	return std::ceil(platform::Painter::StringWidth(label.c_str(), int32(label.size())));
}

}  // namespace

AlertLayout AlertLayout::Compute(const std::string& text, const std::vector<std::string>& labels,
	button_width width, alert_type type)
{
	AlertLayout layout;
	font_height height;
	platform::Painter::GetFontHeight(&height);

	layout.hasIcon = AlertIconBits(type) != NULL;
	layout.iconAt = kIconAt;
	layout.textLeft = layout.hasIcon ? kTextLeftBesideIcon : kMargin;
	layout.lineHeight = std::ceil(height.ascent + height.descent + height.leading);
	// The first line's ink starts kMargin from the top.
	layout.firstBaseline = kMargin + std::ceil(height.ascent) - 1;
	layout.lines = SplitLines(text);

	float textWidth = 0;
	for (const std::string& line : layout.lines)
		textWidth = std::max(textWidth, LabelWidth(line));
	float textBottom = kMargin + layout.lineHeight * float(layout.lines.size());
	if (layout.hasIcon)
		textBottom = std::max(textBottom, kIconAt.y + kAlertIconSize);

	layout.PlaceButtons(labels, width, textBottom + kButtonsBelowText);
	float buttonsWidth = 0;
	if (!layout.buttons.empty())
		buttonsWidth = layout.buttons.back().right + 1 - layout.buttons.front().left;

	float right = std::max({layout.textLeft + textWidth + kMargin,
					  layout.textLeft + buttonsWidth + kMargin, kMinimumWidth})
		- 1;
	float bottom =
		(layout.buttons.empty() ? textBottom : layout.buttons.back().bottom + 1) + kMargin - 1;
	layout.bounds = BRect(0, 0, right, bottom);
	layout.stripe = BRect(0, 0, kStripeWidth - 1, bottom);

	// Right-aligned: shift the row, laid out from x 0, to end kMargin from the right.
	float shift = right + 1 - kMargin - buttonsWidth;
	for (BRect& button : layout.buttons)
		button.OffsetBy(shift, 0);
	return layout;
}

void AlertLayout::PlaceButtons(
	const std::vector<std::string>& labels, button_width width, float top)
{
	float widest = 0;
	for (const std::string& label : labels)
		widest = std::max(widest, LabelWidth(label) + 2 * kButtonPadding);

	float left = 0;
	for (const std::string& label : labels) {
		float own = LabelWidth(label) + 2 * kButtonPadding;
		float buttonWidth = own;
		if (width == B_WIDTH_AS_USUAL)
			buttonWidth = std::max(own, kUsualButtonWidth);
		else if (width == B_WIDTH_FROM_WIDEST)
			buttonWidth = std::max(widest, kUsualButtonWidth);
		buttons.push_back(BRect(left, top, left + buttonWidth - 1, top + kButtonHeight - 1));
		left += buttonWidth + kButtonSpacing;
	}
}

int32 AlertLayout::ButtonAt(BPoint point) const
{
	for (size_t i = 0; i < buttons.size(); i++) {
		if (buttons[i].Contains(point))
			return int32(i);
	}
	return -1;
}

}  // namespace platform
