#ifndef C_FLAT_BUTTON_H
#define C_FLAT_BUTTON_H

#include <Control.h>

// A push button painted as a flat grey tile: flat while the pointer is elsewhere, raised
// while it is over the button, pressed while a mouse button is held on it.
class CFlatButton : public BControl {
public:
	enum {
		kFlat = 0,
		kRaised = 1,
		kPressed = 2
	};
	enum {
		kAlignCenter = 0,
		kAlignLeft = 1,
		kAlignRight = 2
	};

	CFlatButton(BRect frame, const char* name, const char* label, BMessage* message,
		bool stayPressed, int32 alignment, uint32 resizingMode, uint32 flags);
	virtual ~CFlatButton();

	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage);

	// Where the label's baseline starts for the given metrics.
	static BPoint LabelPosition(BRect bounds, int32 alignment, float labelWidth, float ascent);

protected:
	void SetState(int32 state);

	int32 fState;
	int32 fAlignment;
	bool fStayPressed;

private:
	void DrawFlat(BRect frame, BPoint label);
	void DrawRaised(BRect frame, BPoint label);
	void DrawPressed(BRect frame, BPoint label);
	void TrackPress();
};

#endif
