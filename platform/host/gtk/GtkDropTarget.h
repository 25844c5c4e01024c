#ifndef PLATFORM_GTK_DROP_TARGET_H
#define PLATFORM_GTK_DROP_TARGET_H

#include <Point.h>

#include <string>

#include <gtk/gtk.h>

namespace platform {

class HostInput;

// Makes a widget accept drags of files (text/uri-list) and of text, and reports the drag to a
// window's input. The offered data is fetched once per drag, on its first motion, and handed
// on raw (a URI list's bytes, a preview of text) in one call; motions and the drop carry only
// the position. Display thread only.
class GtkDropTarget {
public:
	GtkDropTarget(GtkWidget* widget, HostInput* input);
	~GtkDropTarget();

private:
	static std::string TextPreview(GtkSelectionData* selection);

	enum DataState {
		kNoTarget,
		kDataRequested,
		kDataReceived
	};

	static gboolean OnMotion(
		GtkWidget* widget, GdkDragContext* context, gint x, gint y, guint time, gpointer self);
	static void OnLeave(GtkWidget* widget, GdkDragContext* context, guint time, gpointer self);
	static gboolean OnDrop(
		GtkWidget* widget, GdkDragContext* context, gint x, gint y, guint time, gpointer self);
	static void OnDataReceived(GtkWidget* widget, GdkDragContext* context, gint x, gint y,
		GtkSelectionData* data, guint info, guint time, gpointer self);
	static gboolean OnLeaveIdle(gpointer self);

	void BeginDrag(GdkDragContext* context, guint time);
	void ForgetDrag();
	void AcceptDrag(GdkDragContext* context, guint time);
	void CancelPendingLeave();
	void ReportData(GtkSelectionData* selection);

	GtkWidget* fWidget;
	HostInput* fInput;

	GdkDragContext* fContext;  // the drag the cache belongs to (referenced)
	DataState fState;
	bool fIsUriList;
	bool fDataValid;
	BPoint fWhere;
	bool fDropPending;
	guint fDropTime;
	guint fLeaveSource;
};

}  // namespace platform

#endif
