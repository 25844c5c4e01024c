#ifndef _VIEW_H
#define _VIEW_H

#include <Font.h>
#include <GraphicsDefs.h>
#include <Handler.h>
#include <InterfaceDefs.h>
#include <Rect.h>

#include <vector>

class BMessage;
class BWindow;

namespace platform {
class ViewAccess;
}

// Transit codes for MouseMoved.
enum {
	B_ENTERED_VIEW = 0,
	B_INSIDE_VIEW,
	B_EXITED_VIEW,
	B_OUTSIDE_VIEW
};

// Resizing modes.
#define B_FOLLOW_NONE 0
#define B_FOLLOW_LEFT 0x00000001
#define B_FOLLOW_TOP 0x00000100
#define B_FOLLOW_ALL_SIDES 0x00001111

// View flags.
#define B_FULL_UPDATE_ON_RESIZE 0x80000000UL
#define B_WILL_DRAW 0x20000000UL
#define B_PULSE_NEEDED 0x10000000UL
#define B_NAVIGABLE_JUMP 0x08000000UL
#define B_FRAME_EVENTS 0x04000000UL
#define B_NAVIGABLE 0x02000000UL

// A rectangle of a window that draws itself and takes input. Coordinates are the view's own:
// Bounds() starts at (0, 0); Frame() is the same rectangle in the parent's coordinates.
class BView : public BHandler {
public:
	BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags);
	virtual ~BView();

	// Hooks.
	virtual void AttachedToWindow();
	virtual void DetachedFromWindow();
	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void MouseUp(BPoint where);
	virtual void MouseMoved(BPoint where, uint32 transit, const BMessage* dragMessage);
	virtual void MessageReceived(BMessage* message);

	// The tree. A view owns its children: deleting it deletes them.
	void AddChild(BView* view, BView* before = NULL);
	bool RemoveChild(BView* view);
	int32 CountChildren() const;
	BView* ChildAt(int32 index) const;
	BView* Parent() const;
	BWindow* Window() const;
	BView* FindView(const char* name) const;

	BRect Bounds() const;
	BRect Frame() const;
	uint32 Flags() const;
	void ConvertToScreen(BPoint* point) const;
	void ConvertFromScreen(BPoint* point) const;

	// Colours. The view colour fills the view before Draw; the high colour draws (a pattern
	// mixes it with the low colour, white). Defaults: view colour white, high colour black.
	void SetViewColor(rgb_color color);
	void SetViewColor(uchar r, uchar g, uchar b, uchar a = 255);
	rgb_color ViewColor() const;
	void SetHighColor(rgb_color color);
	void SetHighColor(uchar r, uchar g, uchar b, uchar a = 255);

	// Drawing, clipped to the view and its parents. The pen starts at (0, 0); the line and
	// text calls leave it at their end point, where the one-point forms start.
	void FillRect(BRect rect, pattern p = B_SOLID_HIGH);
	void StrokeRect(BRect rect, pattern p = B_SOLID_HIGH);
	void StrokeLine(BPoint toPoint, pattern p = B_SOLID_HIGH);
	void StrokeLine(BPoint start, BPoint end, pattern p = B_SOLID_HIGH);
	void DrawString(const char* string, BPoint point, void* delta = NULL);
	void DrawString(const char* string, int32 length, BPoint point, void* delta = NULL);
	void DrawString(const char* string);
	void DrawBitmap(const class BBitmap* bitmap, BPoint where);
	float StringWidth(const char* string) const;
	float StringWidth(const char* string, int32 length) const;
	void GetFontHeight(font_height* height) const;

	// Input. checkMessageQueue true takes the next queued pointer message of the window, if
	// any, before falling back to the live pointer state.
	void GetMouse(BPoint* location, uint32* buttons, bool checkMessageQueue = true);

	// Asks for a later Draw of the rectangle (or of the whole view).
	void Invalidate(BRect rect);
	void Invalidate();
	void Flush() const;
	void Sync() const;

private:
	friend class BWindow;
	friend class platform::ViewAccess;
	BView(const BView&) = delete;
	BView& operator=(const BView&) = delete;

	void SetWindowRecursive(BWindow* window);
	void CallAttachedRecursive();

	BRect fFrame;
	uint32 fFlags;
	BView* fParent;
	BWindow* fWindow;
	std::vector<BView*> fChildren;
	rgb_color fViewColor;
	rgb_color fHighColor;
	rgb_color fLowColor;
	BPoint fPen;
};

#endif
