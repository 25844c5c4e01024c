#ifndef PLATFORM_GTK_DROP_TARGET_H
#define PLATFORM_GTK_DROP_TARGET_H

#include <Point.h>

#include <functional>
#include <memory>
#include <string>

#include <gtk/gtk.h>

class BMessage;

namespace platform {

// Makes a widget accept drags of files (text/uri-list) and of text, and turns the drag into
// the host's drag messages. The offered data is fetched once per drag, on its first motion,
// and handed on raw and bounded (a URI list's bytes, a preview of text) in one message;
// motions and the drop carry only the position. Display thread only.
class GtkDropTarget {
public:
	// post receives kMsgHostDragMotion, kMsgHostDragExit and kMsgHostDrop.
	GtkDropTarget(GtkWidget* widget, std::function<void(BMessage*)> post);
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
	void PostData(GtkSelectionData* selection);
	void PostMotion();
	void PostDrop();

	GtkWidget* fWidget;
	std::function<void(BMessage*)> fPost;

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
