#include "interface/TransitTracker.h"

#include <View.h>

#include <algorithm>

#include "interface/ViewAccess.h"

namespace platform {

void TransitTracker::MoveTo(BView* under, BPoint where, const BMessage* drag)
{
	std::vector<BView*> now;
	for (BView* view = under; view != NULL; view = view->Parent())
		now.push_back(view);

	// Those left behind hear first, deepest first, then the views now under the pointer.
	for (BView* view : fViews) {
		if (std::find(now.begin(), now.end(), view) == now.end())
			fPending.push_back({view, B_EXITED_VIEW});
	}
	for (BView* view : now) {
		bool wasOver = std::find(fViews.begin(), fViews.end(), view) != fViews.end();
		fPending.push_back({view, wasOver ? (uint32)B_INSIDE_VIEW : (uint32)B_ENTERED_VIEW});
	}
	fViews = now;
	Deliver(where, drag);
}

void TransitTracker::Follow(BView* under)
{
	fViews.clear();
	for (BView* view = under; view != NULL; view = view->Parent())
		fViews.push_back(view);
}

void TransitTracker::ExitAll(BPoint where, const BMessage* drag)
{
	for (BView* view : fViews)
		fPending.push_back({view, B_EXITED_VIEW});
	fViews.clear();
	Deliver(where, drag);
}

void TransitTracker::Reset()
{
	fViews.clear();
	fPending.clear();
}

void TransitTracker::Forget(const BView* view)
{
	fViews.erase(std::remove(fViews.begin(), fViews.end(), view), fViews.end());
	fPending.erase(std::remove_if(fPending.begin(), fPending.end(),
					   [view](const Delivery& d) { return d.view == view; }),
		fPending.end());
}

bool TransitTracker::IsOver(const BView* view) const
{
	return std::find(fViews.begin(), fViews.end(), view) != fViews.end();
}

// One at a time from the queue: a hook that removes or deletes a view makes Forget drop
// what that view still had coming.
void TransitTracker::Deliver(BPoint where, const BMessage* drag)
{
	while (!fPending.empty()) {
		Delivery next = fPending.front();
		fPending.pop_front();
		BPoint local = where - ViewAccess::OffsetInWindow(next.view);
		next.view->MouseMoved(local, next.transit, drag);
	}
}

}  // namespace platform
