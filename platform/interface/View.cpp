#include <View.h>

#include <Bitmap.h>
#include <Message.h>
#include <Window.h>

#include <math.h>
#include <string.h>

#include <algorithm>
#include <optional>

#include "interface/Painter.h"
#include "interface/ViewAccess.h"
#include "interface/WindowData.h"

using platform::ViewAccess;
using platform::WindowData;

namespace {

const rgb_color kWhite = {255, 255, 255, 255};
const rgb_color kBlack = {0, 0, 0, 255};

bool IsUniform(const pattern& p, uint8 value)
{
	for (uint8 row : p.data) {
		if (row != value)
			return false;
	}
	return true;
}

// One drawing call of a view: a painter on its window's back buffer set up for the view,
// and the window told which pixels changed.
class ViewDrawing {
public:
	explicit ViewDrawing(const BView* view) :
		fData(ViewAccess::DataOf(view))
	{
		if (fData == NULL)
			return;
		platform::BackBuffer& buffer = fData->Buffer();
		fPainter.emplace(buffer.Pixels(), buffer.Width(), buffer.Height());
		if (!fData->PreparePainter(view, &*fPainter))
			fPainter.reset();
	}

	bool CanDraw() const { return fPainter.has_value(); }
	platform::Painter& Painter() { return *fPainter; }

	// rect in the view's coordinates
	void Touched(BRect rect)
	{
		BPoint origin = fPainter->Origin();
		fData->Buffer().MarkDirty(rect.OffsetByCopy(origin.x, origin.y) & fPainter->Clip());
	}
	void TouchedAll() { fData->Buffer().MarkDirty(fPainter->Clip()); }

	// The clip in the view's coordinates.
	BRect LocalClip() const
	{
		BPoint origin = fPainter->Origin();
		return fPainter->Clip().OffsetByCopy(-origin.x, -origin.y);
	}

private:
	WindowData* fData;
	std::optional<platform::Painter> fPainter;
};

BRect LineBounds(BPoint a, BPoint b)
{
	return BRect(std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y));
}

}  // namespace

BView::BView(BRect frame, const char* name, uint32 /*resizingMode*/, uint32 flags) :
	BHandler(name),
	fFrame(frame),
	fFlags(flags),
	fParent(NULL),
	fWindow(NULL),
	fViewColor(kWhite),
	fHighColor(kBlack),
	fLowColor(kWhite),
	fPen(0, 0)
{
}

// Children go first; each is cut loose before it is deleted, so that it does not reach
// back into this view's list while this view walks it.
BView::~BView()
{
	for (BView* child : fChildren) {
		child->fParent = NULL;
		delete child;
	}
	fChildren.clear();

	if (fParent != NULL) {
		std::vector<BView*>& siblings = fParent->fChildren;
		siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
	} else if (WindowData* data = ViewAccess::DataOf(this))
		data->RemoveTopView(this);
	if (fWindow != NULL) {
		if (WindowData* data = ViewAccess::DataOf(this))
			data->ForgetView(this);
		fWindow->RemoveHandler(this);
	}
}

void BView::AttachedToWindow()
{
}

void BView::DetachedFromWindow()
{
}

void BView::Draw(BRect /*updateRect*/)
{
}

void BView::MouseDown(BPoint /*where*/)
{
}

void BView::MouseUp(BPoint /*where*/)
{
}

void BView::MouseMoved(BPoint /*where*/, uint32 /*transit*/, const BMessage* /*dragMessage*/)
{
}

// Not handled here: on to the next handler, the parent view and then the window.
void BView::MessageReceived(BMessage* message)
{
	BHandler::MessageReceived(message);
}

void BView::AddChild(BView* view, BView* before)
{
	if (view == NULL || view == this || view->fParent != NULL || view->fWindow != NULL)
		return;

	auto at = std::find(fChildren.begin(), fChildren.end(), before);
	fChildren.insert(before != NULL ? at : fChildren.end(), view);
	view->fParent = this;
	view->SetNextHandler(this);
	if (fWindow == NULL)
		return;

	BWindow* window = fWindow;
	bool locked = window->Lock();
	view->SetWindowRecursive(window);
	view->CallAttachedRecursive();
	view->Invalidate();
	if (locked)
		window->Unlock();
}

bool BView::RemoveChild(BView* view)
{
	if (view == NULL || view->fParent != this)
		return false;

	BWindow* window = fWindow;
	bool locked = window != NULL && window->Lock();
	if (window != NULL) {
		ViewAccess::CallDetached(view);
		view->Invalidate();
	}
	fChildren.erase(std::remove(fChildren.begin(), fChildren.end(), view), fChildren.end());
	view->fParent = NULL;
	view->SetWindowRecursive(NULL);
	view->SetNextHandler(NULL);
	if (locked)
		window->Unlock();
	return true;
}

int32 BView::CountChildren() const
{
	return (int32)fChildren.size();
}

BView* BView::ChildAt(int32 index) const
{
	if (index < 0 || index >= CountChildren())
		return NULL;
	return fChildren[index];
}

BView* BView::Parent() const
{
	return fParent;
}

BWindow* BView::Window() const
{
	return fWindow;
}

BView* BView::FindView(const char* name) const
{
	if (name == NULL)
		return NULL;
	if (Name() != NULL && strcmp(Name(), name) == 0)
		return const_cast<BView*>(this);
	for (BView* child : fChildren) {
		if (BView* found = child->FindView(name))
			return found;
	}
	return NULL;
}

void BView::SetWindowRecursive(BWindow* window)
{
	if (fWindow != NULL && fWindow != window) {
		if (WindowData* data = ViewAccess::DataOf(this))
			data->ForgetView(this);
		fWindow->RemoveHandler(this);
		if (fParent != NULL)
			SetNextHandler(fParent);
	}
	if (window != NULL && fWindow != window) {
		window->AddHandler(this);
		SetNextHandler(fParent != NULL ? static_cast<BHandler*>(fParent) : window);
	}
	fWindow = window;
	for (BView* child : fChildren)
		child->SetWindowRecursive(window);
}

// Parents before children. By index: a hook may add children.
void BView::CallAttachedRecursive()
{
	AttachedToWindow();
	for (size_t i = 0; i < fChildren.size(); i++)
		fChildren[i]->CallAttachedRecursive();
}

BRect BView::Bounds() const
{
	return BRect(0, 0, fFrame.Width(), fFrame.Height());
}

BRect BView::Frame() const
{
	return fFrame;
}

uint32 BView::Flags() const
{
	return fFlags;
}

void BView::ConvertToScreen(BPoint* point) const
{
	if (point == NULL)
		return;
	*point += ViewAccess::OffsetInWindow(this);
	if (fWindow != NULL)
		fWindow->ConvertToScreen(point);
}

void BView::ConvertFromScreen(BPoint* point) const
{
	if (point == NULL)
		return;
	if (fWindow != NULL)
		fWindow->ConvertFromScreen(point);
	*point -= ViewAccess::OffsetInWindow(this);
}

void BView::SetViewColor(rgb_color color)
{
	fViewColor = color;
}

void BView::SetViewColor(uchar r, uchar g, uchar b, uchar a)
{
	SetViewColor(rgb_color{r, g, b, a});
}

rgb_color BView::ViewColor() const
{
	return fViewColor;
}

void BView::SetHighColor(rgb_color color)
{
	fHighColor = color;
}

void BView::SetHighColor(uchar r, uchar g, uchar b, uchar a)
{
	SetHighColor(rgb_color{r, g, b, a});
}

// A mixed pattern repeats every 8 pixels of the view, high colour where a bit is set.
void BView::FillRect(BRect rect, pattern p)
{
	ViewDrawing drawing(this);
	if (!drawing.CanDraw())
		return;

	if (IsUniform(p, 0xff) || IsUniform(p, 0)) {
		drawing.Painter().FillRect(rect, IsUniform(p, 0) ? fLowColor : fHighColor);
	} else {
		BRect area = rect & drawing.LocalClip();
		for (float y = ceilf(area.top); y <= area.bottom; y++) {
			for (float x = ceilf(area.left); x <= area.right; x++) {
				uint8 row = p.data[(int32)y & 7];
				bool high = (row & (0x80 >> ((int32)x & 7))) != 0;
				drawing.Painter().FillRect(BRect(x, y, x, y), high ? fHighColor : fLowColor);
			}
		}
	}
	drawing.Touched(rect);
}

void BView::StrokeRect(BRect rect, pattern p)
{
	ViewDrawing drawing(this);
	if (!drawing.CanDraw())
		return;
	drawing.Painter().StrokeRect(rect, IsUniform(p, 0) ? fLowColor : fHighColor);
	drawing.Touched(rect);
}

void BView::StrokeLine(BPoint toPoint, pattern p)
{
	StrokeLine(fPen, toPoint, p);
}

// Lines take one colour: the low colour for B_SOLID_LOW, the high colour otherwise.
void BView::StrokeLine(BPoint start, BPoint end, pattern p)
{
	fPen = end;
	ViewDrawing drawing(this);
	if (!drawing.CanDraw())
		return;
	drawing.Painter().StrokeLine(start, end, IsUniform(p, 0) ? fLowColor : fHighColor);
	drawing.Touched(LineBounds(start, end));
}

void BView::DrawString(const char* string, BPoint point, void* delta)
{
	DrawString(string, string != NULL ? (int32)strlen(string) : 0, point, delta);
}

// The pen moves on to the end of the text, as for the next DrawString.
void BView::DrawString(const char* string, int32 length, BPoint point, void* /*delta*/)
{
	if (string == NULL || length <= 0)
		return;
	length = (int32)strnlen(string, (size_t)length);
	fPen = BPoint(point.x + StringWidth(string, length), point.y);
	ViewDrawing drawing(this);
	if (!drawing.CanDraw())
		return;
	drawing.Painter().DrawString(string, length, point, fHighColor);
	drawing.TouchedAll();
}

void BView::DrawString(const char* string)
{
	DrawString(string, fPen, NULL);
}

void BView::DrawBitmap(const BBitmap* bitmap, BPoint where)
{
	if (bitmap == NULL)
		return;
	ViewDrawing drawing(this);
	if (!drawing.CanDraw())
		return;
	drawing.Painter().DrawBitmap(bitmap, where);
	drawing.Touched(bitmap->Bounds().OffsetToCopy(where.x, where.y));
}

float BView::StringWidth(const char* string) const
{
	return string != NULL ? StringWidth(string, (int32)strlen(string)) : 0;
}

float BView::StringWidth(const char* string, int32 length) const
{
	if (string == NULL || length <= 0)
		return 0;
	return platform::Painter::StringWidth(string, (int32)strnlen(string, (size_t)length));
}

void BView::GetFontHeight(font_height* height) const
{
	if (height != NULL)
		platform::Painter::GetFontHeight(height);
}

// Whatever was drawn reaches the screen first, so that a hook tracking the pointer shows
// its repaints at once.
void BView::GetMouse(BPoint* location, uint32* buttons, bool checkMessageQueue)
{
	BPoint where;
	uint32 pressed = 0;
	if (WindowData* data = ViewAccess::DataOf(this)) {
		data->Flush();
		data->Input().ReadPointer(checkMessageQueue, &where, &pressed);
		where -= ViewAccess::OffsetInWindow(this);
	}
	if (location != NULL)
		*location = where;
	if (buttons != NULL)
		*buttons = pressed;
}

void BView::Invalidate(BRect rect)
{
	WindowData* data = ViewAccess::DataOf(this);
	if (data == NULL)
		return;
	BPoint offset = ViewAccess::OffsetInWindow(this);
	data->Invalidate(rect.OffsetByCopy(offset.x, offset.y) & ViewAccess::VisibleRectInWindow(this));
}

void BView::Invalidate()
{
	Invalidate(Bounds());
}

void BView::Flush() const
{
	if (WindowData* data = ViewAccess::DataOf(this))
		data->Flush();
}

void BView::Sync() const
{
	Flush();
}
