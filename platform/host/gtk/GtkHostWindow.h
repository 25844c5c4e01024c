#ifndef PLATFORM_GTK_HOST_WINDOW_H
#define PLATFORM_GTK_HOST_WINDOW_H

#include <Point.h>
#include <SupportDefs.h>

#include <memory>
#include <string>
#include <vector>

#include <gtk/gtk.h>

#include "host/Host.h"

namespace platform {

class HostInput;

class GtkDropTarget;

// A changed part of a window's back buffer, copied out of the window's thread.
struct GtkPixelPatch {
	int32 left = 0;
	int32 top = 0;
	int32 width = 0;
	int32 height = 0;
	std::vector<uint32> pixels;  // width * height, rows from the top
};

// One window on the display: a fixed-size toplevel whose only child shows the last pixels
// presented, and whose input goes to the window's HostInput. Display thread only.
class GtkHostWindow {
public:
	GtkHostWindow(const HostWindowParams& params, HostInput* input);
	// Destroys the toplevel; the input hears nothing more afterwards.
	~GtkHostWindow();

	void Show();
	void Hide();
	void Present(const GtkPixelPatch& patch);
	bool QueryPointer(BPoint* where, uint32* buttons);

private:
	GtkHostWindow(const GtkHostWindow&) = delete;
	GtkHostWindow& operator=(const GtkHostWindow&) = delete;

	void ApplyHints(uint32 hints);
	void ConnectSignals();

	static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer self);
	static gboolean OnButtonPress(GtkWidget* widget, GdkEventButton* event, gpointer self);
	static gboolean OnButtonRelease(GtkWidget* widget, GdkEventButton* event, gpointer self);
	static gboolean OnMotion(GtkWidget* widget, GdkEventMotion* event, gpointer self);
	static gboolean OnLeave(GtkWidget* widget, GdkEventCrossing* event, gpointer self);
	static gboolean OnKeyPress(GtkWidget* widget, GdkEventKey* event, gpointer self);
	static gboolean OnDelete(GtkWidget* widget, GdkEvent* event, gpointer self);

	enum PointerChange {
		kMoved,
		kButtonDown,
		kButtonUp
	};
	void ReportPointer(PointerChange change, double x, double y, uint32 buttons, guint state);
	void ReportKey(const GdkEventKey* event);

	HostInput* fInput;
	int32 fWidth;
	int32 fHeight;
	BPoint fScreenOrigin;
	GtkWidget* fWindow;
	GtkWidget* fArea;
	cairo_surface_t* fSurface;
	bool fPresented;
	bool fExposeAsked;
	BPoint fLastWhere;
	uint32 fLastButtons;
	std::unique_ptr<GtkDropTarget> fDrop;
};

}  // namespace platform

#endif
