#include "interface/ViewAccess.h"

#include <Window.h>

#include "interface/WindowData.h"

namespace platform {

BPoint ViewAccess::OffsetInWindow(const BView* view)
{
	BPoint offset;
	for (const BView* v = view; v != NULL; v = v->fParent)
		offset += v->fFrame.LeftTop();
	return offset;
}

BRect ViewAccess::VisibleRectInWindow(const BView* view)
{
	BPoint offset = OffsetInWindow(view);
	BRect visible = view->Bounds().OffsetByCopy(offset.x, offset.y);
	for (const BView* parent = view->fParent; parent != NULL; parent = parent->fParent) {
		BPoint parentOffset = OffsetInWindow(parent);
		visible = visible & parent->Bounds().OffsetByCopy(parentOffset.x, parentOffset.y);
	}
	return visible;
}

BView* ViewAccess::DeepestViewAt(const std::vector<BView*>& views, BPoint where)
{
	for (auto it = views.rbegin(); it != views.rend(); ++it) {
		BView* view = *it;
		if (!view->fFrame.Contains(where))
			continue;
		BView* child = DeepestViewAt(view->fChildren, where - view->fFrame.LeftTop());
		return child != NULL ? child : view;
	}
	return NULL;
}

WindowData* ViewAccess::DataOf(const BView* view)
{
	return view->fWindow != NULL ? view->fWindow->fData.get() : NULL;
}

// Children first, the reverse of attaching.
void ViewAccess::CallDetached(BView* view)
{
	for (size_t i = 0; i < view->fChildren.size(); i++)
		CallDetached(view->fChildren[i]);
	view->DetachedFromWindow();
}

}  // namespace platform
