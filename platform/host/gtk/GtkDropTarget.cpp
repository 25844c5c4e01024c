#include "host/gtk/GtkDropTarget.h"

#include "host/HostInput.h"

namespace platform {

namespace {

enum {
	kUriListInfo = 1,
	kTextInfo = 2
};

// Files first: a file manager offers both a URI list and the names as text.
const GtkTargetEntry kTargets[] = {
	{(gchar*)"text/uri-list", 0, kUriListInfo},
	{(gchar*)"text/plain;charset=utf-8", 0, kTextInfo},
	{(gchar*)"UTF8_STRING", 0, kTextInfo},
	{(gchar*)"text/plain", 0, kTextInfo},
};

}  // namespace

GtkDropTarget::GtkDropTarget(GtkWidget* widget, HostInput* input) :
	fWidget(widget),
	fInput(input),
	fContext(NULL),
	fState(kNoTarget),
	fIsUriList(false),
	fDataValid(false),
	fDropPending(false),
	fDropTime(GDK_CURRENT_TIME),
	fLeaveSource(0)
{
	// No GTK defaults: we answer every motion ourselves and fetch the data only once.
	gtk_drag_dest_set(widget, (GtkDestDefaults)0, kTargets, G_N_ELEMENTS(kTargets),
		(GdkDragAction)(GDK_ACTION_COPY | GDK_ACTION_MOVE | GDK_ACTION_LINK));
	g_signal_connect(widget, "drag-motion", G_CALLBACK(&GtkDropTarget::OnMotion), this);
	g_signal_connect(widget, "drag-leave", G_CALLBACK(&GtkDropTarget::OnLeave), this);
	g_signal_connect(widget, "drag-drop", G_CALLBACK(&GtkDropTarget::OnDrop), this);
	g_signal_connect(
		widget, "drag-data-received", G_CALLBACK(&GtkDropTarget::OnDataReceived), this);
}

GtkDropTarget::~GtkDropTarget()
{
	g_signal_handlers_disconnect_by_data(fWidget, this);
	CancelPendingLeave();
	if (fContext != NULL && fDropPending)
		gtk_drag_finish(fContext, FALSE, FALSE, fDropTime);
	ForgetDrag();
}

gboolean GtkDropTarget::OnMotion(
	GtkWidget*, GdkDragContext* context, gint x, gint y, guint time, gpointer self)
{
	GtkDropTarget* target = static_cast<GtkDropTarget*>(self);
	target->CancelPendingLeave();
	if (context != target->fContext)
		target->BeginDrag(context, time);
	target->fWhere = BPoint(x, y);
	if (target->fState == kNoTarget) {
		gdk_drag_status(context, (GdkDragAction)0, time);
		return TRUE;
	}
	target->AcceptDrag(context, time);
	if (target->fState == kDataReceived)
		target->fInput->DragMoved(target->fWhere);
	return TRUE;
}

void GtkDropTarget::OnLeave(GtkWidget*, GdkDragContext* context, guint, gpointer self)
{
	// GTK also sends a leave just before a drop; only a leave that no drop follows at once
	// means the drag went away.
	GtkDropTarget* target = static_cast<GtkDropTarget*>(self);
	if (context != target->fContext || target->fLeaveSource != 0)
		return;
	target->fLeaveSource = g_idle_add(&GtkDropTarget::OnLeaveIdle, target);
}

gboolean GtkDropTarget::OnLeaveIdle(gpointer self)
{
	GtkDropTarget* target = static_cast<GtkDropTarget*>(self);
	target->fLeaveSource = 0;
	if (!target->fDropPending) {
		target->fInput->DragExited();
		target->ForgetDrag();
	}
	return G_SOURCE_REMOVE;
}

gboolean GtkDropTarget::OnDrop(
	GtkWidget*, GdkDragContext* context, gint x, gint y, guint time, gpointer self)
{
	GtkDropTarget* target = static_cast<GtkDropTarget*>(self);
	target->CancelPendingLeave();
	if (context != target->fContext)
		target->BeginDrag(context, time);
	target->fWhere = BPoint(x, y);
	if (target->fState == kNoTarget) {
		gtk_drag_finish(context, FALSE, FALSE, time);
		target->ForgetDrag();
		return TRUE;
	}
	if (target->fState == kDataReceived) {
		target->fInput->Dropped(target->fWhere);
		gtk_drag_finish(context, target->fDataValid, FALSE, time);
		target->ForgetDrag();
		return TRUE;
	}
	target->fDropPending = true;
	target->fDropTime = time;
	return TRUE;
}

void GtkDropTarget::OnDataReceived(GtkWidget*, GdkDragContext* context, gint, gint,
	GtkSelectionData* selection, guint, guint time, gpointer self)
{
	GtkDropTarget* target = static_cast<GtkDropTarget*>(self);
	if (context != target->fContext || target->fState != kDataRequested)
		return;

	const guchar* bytes = gtk_selection_data_get_data(selection);
	gint length = gtk_selection_data_get_length(selection);
	target->fDataValid = bytes != NULL && length >= 0;
	target->fState = kDataReceived;
	target->ReportData(target->fDataValid ? selection : NULL);

	if (target->fDropPending) {
		target->fInput->Dropped(target->fWhere);
		gtk_drag_finish(context, target->fDataValid, FALSE, time);
		target->ForgetDrag();
	} else
		target->fInput->DragMoved(target->fWhere);
}

void GtkDropTarget::BeginDrag(GdkDragContext* context, guint time)
{
	ForgetDrag();
	fContext = GDK_DRAG_CONTEXT(g_object_ref(context));
	GdkAtom offered = gtk_drag_dest_find_target(fWidget, context, NULL);
	if (offered == GDK_NONE) {
		fState = kNoTarget;
		return;
	}
	gchar* name = gdk_atom_name(offered);
	fIsUriList = g_strcmp0(name, "text/uri-list") == 0;
	g_free(name);
	fState = kDataRequested;
	gtk_drag_get_data(fWidget, context, offered, time);
}

void GtkDropTarget::ForgetDrag()
{
	if (fContext != NULL)
		g_object_unref(fContext);
	fContext = NULL;
	fState = kNoTarget;
	fIsUriList = false;
	fDataValid = false;
	fDropPending = false;
}

void GtkDropTarget::AcceptDrag(GdkDragContext* context, guint time)
{
	GdkDragAction action = GDK_ACTION_COPY;
	if ((gdk_drag_context_get_actions(context) & GDK_ACTION_COPY) == 0)
		action = gdk_drag_context_get_suggested_action(context);
	gdk_drag_status(context, action, time);
}

void GtkDropTarget::CancelPendingLeave()
{
	if (fLeaveSource != 0)
		g_source_remove(fLeaveSource);
	fLeaveSource = 0;
}

// Handed on raw, once per drag; the window bounds it and makes the dragged message from it.
void GtkDropTarget::ReportData(GtkSelectionData* selection)
{
	if (selection == NULL) {
		fInput->DragData(kHostDragNothingUsable, NULL, 0);
	} else if (fIsUriList) {
		fInput->DragData(kHostDragUriList,
			reinterpret_cast<const char*>(gtk_selection_data_get_data(selection)),
			gtk_selection_data_get_length(selection));
	} else {
		std::string preview = TextPreview(selection);
		fInput->DragData(kHostDragText, preview.data(), preview.size());
	}
}

// Enough of the text for the window's preview (see kMaxDragTextPreview). A short text is
// converted to UTF-8 where GTK knows its encoding; a long one is taken as offered, without
// converting what would be thrown away.
std::string GtkDropTarget::TextPreview(GtkSelectionData* selection)
{
	const char* bytes = reinterpret_cast<const char*>(gtk_selection_data_get_data(selection));
	size_t length = gtk_selection_data_get_length(selection);
	gchar* converted = NULL;
	if (length <= kMaxDragTextPreview)
		converted = (gchar*)gtk_selection_data_get_text(selection);
	std::string text = converted != NULL ? std::string(converted)
										 : std::string(bytes, MIN(length, kMaxDragTextPreview + 1));
	g_free(converted);
	return text;
}

}  // namespace platform
