#include "interface/WindowData.h"

#include <Message.h>
#include <View.h>

#include <math.h>
#include <string.h>

#include <algorithm>

#include "interface/Painter.h"
#include "interface/ViewAccess.h"
#include "interface/WindowMessages.h"

namespace platform {

namespace {

const uint32 kWhite = 0xFFFFFFFFu;

int32 PixelsAcross(float extent)
{
	return std::max<int32>(0, (int32)lroundf(extent) + 1);
}

BView* FindNamed(const std::vector<BView*>& views, const char* name)
{
	for (BView* view : views) {
		if (view->Name() != NULL && strcmp(view->Name(), name) == 0)
			return view;
		if (BView* found = FindNamed(ViewAccess::Children(view), name))
			return found;
	}
	return NULL;
}

}  // namespace

WindowData::WindowData(BWindow* window, BRect frame, const char* title, window_look look,
	window_feel feel, uint32 flags) :
	frame(frame),
	title(title != NULL ? title : ""),
	look(look),
	feel(feel),
	flags(flags),
	hidden(true),
	showCalled(false),
	fWindow(window),
	fInput(this),
	fHostInput(window),
	fWidth(PixelsAcross(frame.Width())),
	fHeight(PixelsAcross(frame.Height())),
	fUpdatePosted(false),
	fUpdating(false),
	fHostID(-1),
	fHostCreated(false),
	fHostClosed(false)
{
	fPixels.assign((size_t)fWidth * (size_t)fHeight, kWhite);
}

WindowData::~WindowData()
{
}

BView* WindowData::FindView(BPoint where) const
{
	if (!BRect(0, 0, fWidth - 1, fHeight - 1).Contains(where))
		return NULL;
	return ViewAccess::DeepestViewAt(topViews, where);
}

BView* WindowData::FindView(const char* name) const
{
	return name != NULL ? FindNamed(topViews, name) : NULL;
}

void WindowData::DeleteViews()
{
	std::vector<BView*> views;
	views.swap(topViews);
	for (BView* view : views)
		delete view;
}

void WindowData::ForgetView(const BView* view)
{
	fInput.ForgetView(view);
}

// What the look, feel and flags ask of the window system.
uint32 WindowData::HostHints() const
{
	uint32 hints = 0;
	if (look == B_NO_BORDER_WINDOW_LOOK || look == B_BORDERED_WINDOW_LOOK)
		hints |= kHostWindowUndecorated;
	if (look == B_MODAL_WINDOW_LOOK || feel == B_MODAL_APP_WINDOW_FEEL
		|| feel == B_MODAL_SUBSET_WINDOW_FEEL || feel == B_MODAL_ALL_WINDOW_FEEL)
		hints |= kHostWindowDialog;
	else if (look == B_FLOATING_WINDOW_LOOK)
		hints |= kHostWindowUtility;
	if (feel == B_MODAL_ALL_WINDOW_FEEL || feel == B_FLOATING_ALL_WINDOW_FEEL)
		hints |= kHostWindowKeepAbove;
	if (flags & B_NOT_CLOSABLE)
		hints |= kHostWindowNotClosable;
	if (flags & B_AVOID_FOCUS)
		hints |= kHostWindowAvoidFocus;
	return hints;
}

status_t WindowData::CreateHostWindow()
{
	if (fHostCreated)
		return B_OK;
	Host& host = TheHost();
	host.Init();
	HostWindowParams params;
	params.frame = frame;
	params.title = title.c_str();
	params.hints = HostHints();
	status_t status = host.CreateWindow(params, &fHostInput, &fHostID);
	fHostCreated = status == B_OK;
	return status;
}

void WindowData::CloseHostWindow()
{
	if (!HasHostWindow())
		return;
	fHostClosed = true;
	TheHost().CloseWindow(fHostID);
}

bool WindowData::PreparePainter(const BView* view, Painter* painter)
{
	BRect clip = ViewAccess::VisibleRectInWindow(view) & BRect(0, 0, fWidth - 1, fHeight - 1);
	if (fUpdating)
		clip = clip & fUpdateClip;
	if (!clip.IsValid())
		return false;
	painter->SetOrigin(ViewAccess::OffsetInWindow(view));
	painter->SetClip(clip);
	return true;
}

void WindowData::MarkDirty(BRect rect)
{
	BRect pixels(floorf(rect.left), floorf(rect.top), ceilf(rect.right), ceilf(rect.bottom));
	pixels = pixels & BRect(0, 0, fWidth - 1, fHeight - 1);
	if (!pixels.IsValid())
		return;
	fDirty = fDirty.IsValid() ? fDirty | pixels : pixels;
}

void WindowData::Flush()
{
	if (!fDirty.IsValid())
		return;
	BRect dirty = fDirty;
	fDirty = BRect();
	if (HasHostWindow())
		TheHost().PresentPixels(fHostID, Pixels(), fWidth, fHeight, dirty);
}

void WindowData::PresentAll()
{
	fDirty = BRect();
	if (HasHostWindow() && fWidth > 0 && fHeight > 0) {
		TheHost().PresentPixels(
			fHostID, Pixels(), fWidth, fHeight, BRect(0, 0, fWidth - 1, fHeight - 1));
	}
}

void WindowData::PaintAll()
{
	PaintArea(BRect(0, 0, fWidth - 1, fHeight - 1));
}

void WindowData::PaintArea(BRect area)
{
	bool outer = fUpdating;
	BRect outerClip = fUpdateClip;
	fUpdating = true;
	fUpdateClip = area;
	for (size_t i = 0; i < topViews.size(); i++)
		PaintView(topViews[i], area);
	fUpdating = outer;
	fUpdateClip = outerClip;
}

void WindowData::PaintView(BView* view, BRect area)
{
	BRect visible = ViewAccess::VisibleRectInWindow(view) & area;
	if (!visible.IsValid())
		return;

	if (view->ViewColor() != B_TRANSPARENT_COLOR) {
		Painter painter(Pixels(), fWidth, fHeight);
		if (PreparePainter(view, &painter)) {
			painter.FillRect(view->Bounds(), view->ViewColor());
			MarkDirty(painter.Clip());
		}
	}
	BPoint offset = ViewAccess::OffsetInWindow(view);
	view->Draw(visible.OffsetByCopy(-offset.x, -offset.y));

	// By index: a Draw may add or remove children.
	const std::vector<BView*>& children = ViewAccess::Children(view);
	for (size_t i = 0; i < children.size(); i++)
		PaintView(children[i], area);
}

void WindowData::Invalidate(BRect rect)
{
	BRect area = rect & BRect(0, 0, fWidth - 1, fHeight - 1);
	if (!area.IsValid())
		return;
	fPendingUpdate = fPendingUpdate.IsValid() ? fPendingUpdate | area : area;
	if (!fUpdatePosted && showCalled) {
		fUpdatePosted = true;
		fWindow->PostMessage(kMsgWindowUpdate);
	}
}

void WindowData::UpdateIfNeeded()
{
	if (!fPendingUpdate.IsValid())
		return;
	BRect area = fPendingUpdate;
	fPendingUpdate = BRect();
	PaintArea(area);
}

void WindowData::Update()
{
	fUpdatePosted = false;
	UpdateIfNeeded();
}

void WindowData::FirstShow()
{
	fPendingUpdate = BRect();
	PaintAll();
	PresentAll();
	if (HasHostWindow() && !hidden)
		TheHost().ShowWindow(fHostID);
}

BMessage* WindowData::TakeQueuedMessage(bool (*match)(const BMessage&))
{
	return fWindow->TakeQueuedMessage(match, 0);
}

}  // namespace platform
