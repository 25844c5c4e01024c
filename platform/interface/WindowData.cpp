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
	fWindow(window),
	fFrame(frame),
	fTitle(title != NULL ? title : ""),
	fLook(look),
	fFeel(feel),
	fFlags(flags),
	fHidden(true),
	fShowCalled(false),
	fInput(this),
	fBuffer(PixelsAcross(frame.Width()), PixelsAcross(frame.Height())),
	fLink(window),
	fUpdatePosted(false),
	fUpdating(false)
{
}

WindowData::~WindowData()
{
}

bool WindowData::Show()
{
	bool first = !fShowCalled;
	fHidden = false;
	if (first) {
		fShowCalled = true;
		fLink.Open(fFrame, fTitle.c_str(), HostWindowLink::HintsFor(fLook, fFeel, fFlags));
		fWindow->PostMessage(kMsgWindowFirstShow);
	} else
		fLink.Show();
	return first;
}

void WindowData::Hide()
{
	if (!fHidden)
		fLink.Hide();
	fHidden = true;
}

void WindowData::FirstShow()
{
	fPendingUpdate = BRect();
	PaintArea(fBuffer.Bounds());
	PresentAll();
	if (!fHidden)
		fLink.Show();
}

void WindowData::AddTopView(BView* view, BView* before)
{
	auto at = std::find(fTopViews.begin(), fTopViews.end(), before);
	fTopViews.insert(before != NULL ? at : fTopViews.end(), view);
}

bool WindowData::RemoveTopView(BView* view)
{
	auto at = std::find(fTopViews.begin(), fTopViews.end(), view);
	if (at == fTopViews.end())
		return false;
	fTopViews.erase(at);
	return true;
}

bool WindowData::IsTopView(const BView* view) const
{
	return view != NULL && std::find(fTopViews.begin(), fTopViews.end(), view) != fTopViews.end();
}

BView* WindowData::TopViewAt(int32 index) const
{
	return index >= 0 && index < CountTopViews() ? fTopViews[index] : NULL;
}

BView* WindowData::FindView(BPoint where) const
{
	if (!fBuffer.Bounds().Contains(where))
		return NULL;
	return ViewAccess::DeepestViewAt(fTopViews, where);
}

BView* WindowData::FindView(const char* name) const
{
	return name != NULL ? FindNamed(fTopViews, name) : NULL;
}

void WindowData::DeleteViews()
{
	std::vector<BView*> views;
	views.swap(fTopViews);
	for (BView* view : views)
		delete view;
}

void WindowData::ForgetView(const BView* view)
{
	fInput.ForgetView(view);
}

bool WindowData::PreparePainter(const BView* view, Painter* painter)
{
	BRect clip = ViewAccess::VisibleRectInWindow(view) & fBuffer.Bounds();
	if (fUpdating)
		clip = clip & fUpdateClip;
	if (!clip.IsValid())
		return false;
	painter->SetOrigin(ViewAccess::OffsetInWindow(view));
	painter->SetClip(clip);
	return true;
}

void WindowData::Flush()
{
	BRect dirty = fBuffer.TakeDirty();
	if (dirty.IsValid())
		fLink.Present(fBuffer, dirty);
}

void WindowData::PresentAll()
{
	fBuffer.TakeDirty();
	if (fBuffer.Width() > 0 && fBuffer.Height() > 0)
		fLink.Present(fBuffer, fBuffer.Bounds());
}

void WindowData::PaintArea(BRect area)
{
	bool outer = fUpdating;
	BRect outerClip = fUpdateClip;
	fUpdating = true;
	fUpdateClip = area;
	for (size_t i = 0; i < fTopViews.size(); i++)
		PaintView(fTopViews[i], area);
	fUpdating = outer;
	fUpdateClip = outerClip;
}

void WindowData::PaintView(BView* view, BRect area)
{
	BRect visible = ViewAccess::VisibleRectInWindow(view) & area;
	if (!visible.IsValid())
		return;

	if (view->ViewColor() != B_TRANSPARENT_COLOR) {
		Painter painter(fBuffer.Pixels(), fBuffer.Width(), fBuffer.Height());
		if (PreparePainter(view, &painter)) {
			painter.FillRect(view->Bounds(), view->ViewColor());
			fBuffer.MarkDirty(painter.Clip());
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
	BRect area = rect & fBuffer.Bounds();
	if (!area.IsValid())
		return;
	fPendingUpdate = fPendingUpdate.IsValid() ? fPendingUpdate | area : area;
	if (!fUpdatePosted && fShowCalled) {
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

BMessage* WindowData::TakeQueuedMessage(bool (*match)(const BMessage&))
{
	return fWindow->TakeQueuedMessage(match, 0);
}

}  // namespace platform
