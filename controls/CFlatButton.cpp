#include "CFlatButton.h"

#include <OS.h>

namespace {

const rgb_color kBaseColor = {217, 217, 217, 0};
const rgb_color kFaceColor = {232, 232, 232, 255};
const rgb_color kInkColor = {0, 0, 0, 0};
const rgb_color kDimColor = {151, 151, 151, 0};
const rgb_color kInnerFrameColor = {240, 240, 240, 0};
const rgb_color kHighlightColor = {255, 255, 255, 0};

const bigtime_t kPollInterval = 30000;

}  // namespace

CFlatButton::CFlatButton(BRect frame, const char* name, const char* label, BMessage* message,
	bool stayPressed, int32 alignment, uint32 resizingMode, uint32 flags) :
	BControl(frame, name, label, message, resizingMode, flags),
	fState(kFlat),
	fAlignment(alignment),
	fStayPressed(stayPressed)
{
}

CFlatButton::~CFlatButton()
{
}

BPoint CFlatButton::LabelPosition(BRect bounds, int32 alignment, float labelWidth, float ascent)
{
	float x;
	switch (alignment) {
		case kAlignLeft:
			x = bounds.left + 4;
			break;
		case kAlignRight:
			x = bounds.right - 4 - labelWidth;
			break;
		default:
			// Unknown alignments are centred, like the default.
			x = (bounds.right - bounds.left + 1) / 2 - labelWidth / 2;
			break;
	}
	float y = (bounds.bottom - bounds.top - 2) / 2 - ascent / 2 + ascent;
	return BPoint(x, y);
}

void CFlatButton::Draw(BRect /*updateRect*/)
{
	BRect frame = Bounds();
	const char* label = Label() != NULL ? Label() : "";
	float width = fAlignment == kAlignLeft ? 0 : StringWidth(label);
	font_height height;
	GetFontHeight(&height);
	BPoint labelPoint = LabelPosition(frame, fAlignment, width, height.ascent);

	SetHighColor(kBaseColor);
	FillRect(frame, B_SOLID_HIGH);
	SetHighColor(kInkColor);

	switch (fState) {
		case kFlat:
			DrawFlat(frame, labelPoint);
			break;
		case kRaised:
			DrawRaised(frame, labelPoint);
			break;
		case kPressed:
			DrawPressed(frame, labelPoint);
			break;
	}
}

void CFlatButton::DrawFlat(BRect frame, BPoint label)
{
	if (IsEnabled()) {
		SetHighColor(kFaceColor);
		FillRect(frame, B_SOLID_HIGH);
		SetHighColor(kInkColor);
	} else {
		SetHighColor(kDimColor);
	}
	DrawString(Label() != NULL ? Label() : "", label);

	SetHighColor(kDimColor);
	StrokeRect(frame, B_SOLID_HIGH);
	frame.InsetBy(1, 1);
	SetHighColor(kInnerFrameColor);
	StrokeRect(frame, B_SOLID_HIGH);
}

void CFlatButton::DrawRaised(BRect frame, BPoint label)
{
	SetHighColor(kFaceColor);
	frame.right -= 2;
	frame.bottom -= 2;
	FillRect(frame, B_SOLID_HIGH);

	SetHighColor(kInkColor);
	DrawString(Label() != NULL ? Label() : "", BPoint(label.x - 1, label.y - 1));
	StrokeLine(BPoint(frame.right, frame.top), BPoint(frame.right, frame.bottom), B_SOLID_HIGH);
	StrokeLine(BPoint(frame.left, frame.bottom), B_SOLID_HIGH);

	SetHighColor(kHighlightColor);
	StrokeLine(BPoint(frame.left, frame.top), B_SOLID_HIGH);
	StrokeLine(BPoint(frame.right, frame.top), B_SOLID_HIGH);
}

void CFlatButton::DrawPressed(BRect frame, BPoint label)
{
	SetHighColor(kFaceColor);
	frame.left += 2;
	frame.top += 2;
	FillRect(frame, B_SOLID_HIGH);

	SetHighColor(kInkColor);
	DrawString(Label() != NULL ? Label() : "", BPoint(label.x + 1, label.y + 1));

	SetHighColor(kHighlightColor);
	StrokeLine(BPoint(frame.right, frame.top), BPoint(frame.right, frame.bottom), B_SOLID_HIGH);
	StrokeLine(BPoint(frame.left, frame.bottom), B_SOLID_HIGH);

	SetHighColor(kInkColor);
	StrokeLine(BPoint(frame.left, frame.top), B_SOLID_HIGH);
	StrokeLine(BPoint(frame.right, frame.top), B_SOLID_HIGH);
}

void CFlatButton::SetState(int32 state)
{
	fState = state;
	Draw(Bounds());
}

void CFlatButton::MouseDown(BPoint /*where*/)
{
	if (!IsEnabled())
		return;

	SetState(kPressed);
	TrackPress();
	if (fState != kPressed)
		return;

	if (!fStayPressed)
		SetState(kRaised);
	Invoke(NULL);
}

// Polls the pointer until every button is up, showing pressed while it is over the button
// and flat while it is not. The repaints are direct, so they show during the loop.
void CFlatButton::TrackPress()
{
	for (;;) {
		BPoint where;
		uint32 buttons = 0;
		GetMouse(&where, &buttons, true);
		if (buttons == 0)
			break;

		bool inside = Bounds().Contains(where);
		if (inside && fState != kPressed)
			SetState(kPressed);
		else if (!inside && fState != kFlat)
			SetState(kFlat);

		snooze(kPollInterval);
	}
}

void CFlatButton::MouseMoved(BPoint /*where*/, uint32 transit, const BMessage* dragMessage)
{
	if (!IsEnabled() || dragMessage != NULL)
		return;
	if (fStayPressed && fState == kPressed)
		return;

	if (transit == B_ENTERED_VIEW)
		SetState(kRaised);
	else if (transit == B_EXITED_VIEW)
		SetState(kFlat);
}
