#ifndef PLATFORM_WINDOW_DATA_H
#define PLATFORM_WINDOW_DATA_H

#include <Rect.h>
#include <Window.h>

#include <string>
#include <vector>

#include "host/Host.h"
#include "interface/WindowHostInput.h"
#include "interface/WindowInput.h"

class BView;

namespace platform {

class Painter;

// What a window holds besides its looper: its attributes, its top views, the back buffer
// the views draw into, and the link to its window on the host.
class WindowData {
public:
	WindowData(BWindow* window, BRect frame, const char* title, window_look look, window_feel feel,
		uint32 flags);
	~WindowData();

	BWindow* Window() const { return fWindow; }
	WindowInput& Input() { return fInput; }

	// Attributes.
	BRect frame;
	std::string title;
	window_look look;
	window_feel feel;
	uint32 flags;
	bool hidden;
	bool showCalled;  // Show() has started the window's thread

	// The views at the top of the tree, in order; later ones lie on top.
	std::vector<BView*> topViews;
	BView* FindView(BPoint where) const;  // window coordinates
	BView* FindView(const char* name) const;
	void DeleteViews();
	// A view leaving the window: nothing may refer to it any more.
	void ForgetView(const BView* view);

	// The host window.
	bool HasHostWindow() const { return fHostCreated && !fHostClosed; }
	host_window_id HostID() const { return fHostID; }
	status_t CreateHostWindow();
	uint32 HostHints() const;
	void CloseHostWindow();

	// Drawing. A painter for a view, drawing in its coordinates and clipped to what of it is
	// visible (and, during an update, to the updated area); false when nothing is.
	bool PreparePainter(const BView* view, Painter* painter);
	uint32* Pixels() { return fPixels.data(); }
	int32 Width() const { return fWidth; }
	int32 Height() const { return fHeight; }
	void MarkDirty(BRect rect);  // window coordinates
	// Hands what was drawn since the last call to the screen.
	void Flush();
	void PresentAll();

	// Painting the views: the view colour, then Draw, parents before children.
	void PaintAll();
	void Invalidate(BRect rect);  // window coordinates
	void UpdateIfNeeded();
	void Update();  // the posted update arrived
	void FirstShow();

	// The oldest queued message that match accepts, taken out of the queue; NULL if none.
	BMessage* TakeQueuedMessage(bool (*match)(const BMessage&));

private:
	void PaintView(BView* view, BRect area);
	void PaintArea(BRect area);

	BWindow* fWindow;
	WindowInput fInput;
	WindowHostInput fHostInput;

	std::vector<uint32> fPixels;  // 0xFFRRGGBB, fWidth * fHeight, rows from the top
	int32 fWidth;
	int32 fHeight;
	BRect fDirty;

	BRect fPendingUpdate;
	bool fUpdatePosted;
	BRect fUpdateClip;
	bool fUpdating;

	host_window_id fHostID;
	bool fHostCreated;
	bool fHostClosed;
};

}  // namespace platform

#endif
