#include "interface/AlertView.h"

#include <Alert.h>
#include <Bitmap.h>

#include "interface/AlertIcons.h"

#include <cmath>

namespace platform {

namespace {

const rgb_color kPanel = {216, 216, 216, 255};
const rgb_color kStripe = {184, 184, 184, 255};
const rgb_color kText = {0, 0, 0, 255};
const rgb_color kButtonFace = {232, 232, 232, 255};
const rgb_color kButtonPressedFace = {192, 192, 192, 255};
const rgb_color kButtonFrame = {96, 96, 96, 255};
const rgb_color kDefaultFrame = {0, 0, 0, 255};

}  // namespace

AlertView::AlertView(BAlert* alert, const AlertLayout& layout) :
	BView(layout.bounds, "AlertView", B_FOLLOW_ALL_SIDES, B_WILL_DRAW),
	fAlert(alert),
	fLayout(layout),
	fIcon(NULL),
	fPressed(-1)
{
	SetViewColor(kPanel);
	const uint8* bits = AlertIconBits(alert->Type());
	if (bits != NULL) {
		fIcon = new BBitmap(BRect(0, 0, kAlertIconSize - 1, kAlertIconSize - 1), B_CMAP8);
		fIcon->SetBits(bits, kAlertIconSize * kAlertIconSize, 0, B_CMAP8);
	}
}

AlertView::~AlertView()
{
	delete fIcon;
}

void AlertView::Draw(BRect /*updateRect*/)
{
	if (fLayout.hasIcon) {
		SetHighColor(kStripe);
		FillRect(fLayout.stripe);
		if (fIcon != NULL)
			DrawBitmap(fIcon, fLayout.iconAt);
	}
	DrawText();
	for (int32 i = 0; i < int32(fLayout.buttons.size()); i++)
		DrawButton(i);
}

void AlertView::DrawText()
{
	SetHighColor(kText);
	float baseline = fLayout.firstBaseline;
	for (const std::string& line : fLayout.lines) {
		if (!line.empty())
			DrawString(line.c_str(), int32(line.size()), BPoint(fLayout.textLeft, baseline));
		baseline += fLayout.lineHeight;
	}
}

// A frame and a centred label; the button Enter presses has a frame two pixels thick.
void AlertView::DrawButton(int32 index)
{
	BRect frame = fLayout.buttons[index];
	bool isDefault = fAlert->Shortcut(index) == B_ENTER;
	SetHighColor(index == fPressed ? kButtonPressedFace : kButtonFace);
	FillRect(frame);
	SetHighColor(isDefault ? kDefaultFrame : kButtonFrame);
	StrokeRect(frame);
	if (isDefault)
		StrokeRect(frame.InsetByCopy(1, 1));

	const char* label = fAlert->ButtonLabel(index);
	font_height height;
	GetFontHeight(&height);
	float x = frame.left + std::floor((frame.Width() + 1 - StringWidth(label)) / 2);
	float y = frame.top + std::floor((frame.Height() + 1 - height.ascent) / 2)
		+ std::ceil(height.ascent) - 1;
	SetHighColor(kText);
	DrawString(label, BPoint(x, y));
}

void AlertView::MouseDown(BPoint where)
{
	fPressed = fLayout.ButtonAt(where);
	if (fPressed >= 0)
		Invalidate(fLayout.buttons[fPressed]);
}

// A click counts where it ends on the button it began on.
void AlertView::MouseUp(BPoint where)
{
	int32 pressed = fPressed;
	fPressed = -1;
	if (pressed < 0)
		return;
	Invalidate(fLayout.buttons[pressed]);
	if (fLayout.ButtonAt(where) == pressed)
		fAlert->ButtonPressed(pressed);
}

}  // namespace platform
