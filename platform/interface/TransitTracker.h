#ifndef PLATFORM_TRANSIT_TRACKER_H
#define PLATFORM_TRANSIT_TRACKER_H

#include <Point.h>

#include <deque>
#include <vector>

class BMessage;
class BView;

namespace platform {

// Remembers which views the pointer (or a drag) is over, and tells each view through
// MouseMoved whether the pointer entered it, moved inside it or left it. A view contains the
// pointer together with all its parents, so they are told too.
class TransitTracker {
public:
	// The pointer is now at where (window coordinates), deepest over under (NULL: no view).
	void MoveTo(BView* under, BPoint where, const BMessage* drag);
	// The pointer moved to under (NULL: no view) without the views being told, as when a
	// press loop takes the pointer's messages from the queue itself. Later moves are told
	// from there: the pointer left what it is no longer over.
	void Follow(BView* under);
	// The pointer left every view.
	void ExitAll(BPoint where, const BMessage* drag);
	// Forgets the views without telling them.
	void Reset();
	// A view leaving the window must not be told anything any more.
	void Forget(const BView* view);
	bool IsOver(const BView* view) const;

private:
	struct Delivery {
		BView* view;
		uint32 transit;
	};

	void Deliver(BPoint where, const BMessage* drag);

	std::vector<BView*> fViews;  // deepest first
	std::deque<Delivery> fPending;
};

}  // namespace platform

#endif
