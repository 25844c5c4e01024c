#ifndef PLATFORM_WINDOW_DATA_H
#define PLATFORM_WINDOW_DATA_H

#include <Rect.h>
#include <Window.h>

#include "interface/BackBuffer.h"
#include "interface/HostWindowLink.h"
#include "interface/WindowInput.h"

#include <string>
#include <vector>

class BView;

namespace platform {

class Painter;

// What a window holds besides its looper: its attributes and its top views, which it paints
// into its back buffer, parents before children, when they ask for it; the back buffer, handed
// to the screen after each message; and the link to its window on the host.
class WindowData {
public:
	WindowData(BWindow* window, BRect frame, const char* title, window_look look, window_feel feel,
		uint32 flags);
	~WindowData();

	BWindow* Window() const { return fWindow; }
	WindowInput& Input() { return fInput; }
	HostWindowLink& Link() { return fLink; }
	BackBuffer& Buffer() { return fBuffer; }

	BRect Frame() const { return fFrame; }
	void MoveTo(BPoint where) { fFrame.OffsetTo(where); }
	uint32 Flags() const { return fFlags; }

	// The first Show opens the host window and has the window's thread paint and present
	// everything before the window appears (FirstShow); true for that first one.
	bool Show();
	bool ShowCalled() const { return fShowCalled; }
	void Hide();
	void FirstShow();

	// The views at the top of the tree, in order; later ones lie on top.
	void AddTopView(BView* view, BView* before);
	bool RemoveTopView(BView* view);
	bool IsTopView(const BView* view) const;
	int32 CountTopViews() const { return (int32)fTopViews.size(); }
	BView* TopViewAt(int32 index) const;  // NULL out of range
	BView* FindView(BPoint where) const;  // window coordinates
	BView* FindView(const char* name) const;
	void DeleteViews();
	// A view leaving the window: nothing may refer to it any more.
	void ForgetView(const BView* view);

	// A painter for a view, drawing in its coordinates and clipped to what of it is visible
	// (and, during an update, to the updated area); false when nothing is.
	bool PreparePainter(const BView* view, Painter* painter);
	// Hands what was drawn since the last call to the screen.
	void Flush();
	void PresentAll();

	void Invalidate(BRect rect);  // window coordinates
	void UpdateIfNeeded();
	void Update();  // the posted update arrived

	// The oldest queued message that match accepts, taken out of the queue; NULL if none.
	BMessage* TakeQueuedMessage(bool (*match)(const BMessage&));

private:
	void PaintArea(BRect area);
	void PaintView(BView* view, BRect area);

	BWindow* fWindow;
	BRect fFrame;
	std::string fTitle;
	window_look fLook;
	window_feel fFeel;
	uint32 fFlags;
	bool fHidden;
	bool fShowCalled;  // Show() has started the window's thread

	std::vector<BView*> fTopViews;
	WindowInput fInput;
	BackBuffer fBuffer;
	HostWindowLink fLink;

	BRect fPendingUpdate;
	bool fUpdatePosted;
	BRect fUpdateClip;
	bool fUpdating;
};

}  // namespace platform

#endif
