#ifndef PLATFORM_VIEW_ACCESS_H
#define PLATFORM_VIEW_ACCESS_H

#include <View.h>

#include <vector>

class BWindow;

namespace platform {

class WindowData;

// The window's view of a view's insides: geometry in window coordinates and the tree.
class ViewAccess {
public:
	// Where the view's (0, 0) lies in its window's content area.
	static BPoint OffsetInWindow(const BView* view);
	// The part of the window the view may draw on: its frame cut by every parent's frame,
	// in window coordinates. Invalid when nothing of the view is visible.
	static BRect VisibleRectInWindow(const BView* view);
	// The deepest view under where among views (the children of one parent, later ones on
	// top); where is in that parent's coordinates. NULL when none is there.
	static BView* DeepestViewAt(const std::vector<BView*>& views, BPoint where);

	static const std::vector<BView*>& Children(const BView* view) { return view->fChildren; }
	static WindowData* DataOf(const BView* view);

	// Attaching a view (and its subtree) to a window, or detaching it (window NULL).
	static void SetWindow(BView* view, BWindow* window) { view->SetWindowRecursive(window); }
	static void CallAttached(BView* view) { view->CallAttachedRecursive(); }
	static void CallDetached(BView* view);
	static void SetParent(BView* view, BView* parent) { view->fParent = parent; }
};

}  // namespace platform

#endif
