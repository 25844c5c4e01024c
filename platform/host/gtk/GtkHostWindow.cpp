#include "host/gtk/GtkHostWindow.h"

#include <OS.h>

#include "host/HostInput.h"
#include "host/gtk/GtkDropTarget.h"

#include <math.h>
#include <string.h>

namespace platform {

namespace {

const uint32 kBlankPixel = 0xFFFFFFFF;

int32 EdgeLength(float first, float last)
{
	int32 length = (int32)lroundf(last - first) + 1;
	return length > 0 ? length : 1;
}

uint32 ButtonBit(guint button)
{
	switch (button) {
		case 1:
			return kHostPrimaryButton;
		case 3:
			return kHostSecondaryButton;
		case 2:
			return kHostTertiaryButton;
		default:
			return 0;
	}
}

uint32 ButtonsFromState(guint state)
{
	uint32 buttons = 0;
	if (state & GDK_BUTTON1_MASK)
		buttons |= kHostPrimaryButton;
	if (state & GDK_BUTTON3_MASK)
		buttons |= kHostSecondaryButton;
	if (state & GDK_BUTTON2_MASK)
		buttons |= kHostTertiaryButton;
	return buttons;
}

uint32 ModifiersFromState(guint state)
{
	uint32 modifiers = 0;
	if (state & GDK_SHIFT_MASK)
		modifiers |= kHostShiftKey;
	if (state & GDK_CONTROL_MASK)
		modifiers |= kHostControlKey;
	if (state & GDK_MOD1_MASK)
		modifiers |= kHostCommandKey;
	return modifiers;
}

// The bytes a key produces (see HostInput.h); empty for keys that produce none
// (modifiers alone).
std::string KeyBytes(guint keyval)
{
	switch (keyval) {
		case GDK_KEY_Return:
		case GDK_KEY_KP_Enter:
		case GDK_KEY_ISO_Enter:
			return "\n";
		case GDK_KEY_BackSpace:
			return "\b";
		case GDK_KEY_Tab:
		case GDK_KEY_KP_Tab:
		case GDK_KEY_ISO_Left_Tab:
			return "\t";
		case GDK_KEY_Escape:
			return "\x1b";
		case GDK_KEY_Delete:
		case GDK_KEY_KP_Delete:
			return "\x7f";
		case GDK_KEY_Left:
		case GDK_KEY_KP_Left:
			return "\x1c";
		case GDK_KEY_Right:
		case GDK_KEY_KP_Right:
			return "\x1d";
		case GDK_KEY_Up:
		case GDK_KEY_KP_Up:
			return "\x1e";
		case GDK_KEY_Down:
		case GDK_KEY_KP_Down:
			return "\x1f";
		case GDK_KEY_Home:
			return "\x01";
		case GDK_KEY_End:
			return "\x04";
		case GDK_KEY_Insert:
			return "\x05";
		case GDK_KEY_Page_Up:
			return "\x0b";
		case GDK_KEY_Page_Down:
			return "\x0c";
		default:
			break;
	}
	gunichar character = gdk_keyval_to_unicode(keyval);
	if (character == 0)
		return std::string();
	char utf8[8];
	int length = g_unichar_to_utf8(character, utf8);
	return std::string(utf8, length);
}

}  // namespace

GtkHostWindow::GtkHostWindow(const HostWindowParams& params, HostInput* input) :
	fInput(input),
	fWidth(EdgeLength(params.frame.left, params.frame.right)),
	fHeight(EdgeLength(params.frame.top, params.frame.bottom)),
	fScreenOrigin(params.frame.left, params.frame.top),
	fWindow(gtk_window_new(GTK_WINDOW_TOPLEVEL)),
	fArea(gtk_drawing_area_new()),
	fSurface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, fWidth, fHeight)),
	fPresented(false),
	fExposeAsked(false),
	fLastWhere(0, 0),
	fLastButtons(0)
{
	uint32* pixels = reinterpret_cast<uint32*>(cairo_image_surface_get_data(fSurface));
	int stride = cairo_image_surface_get_stride(fSurface) / 4;
	for (int32 y = 0; y < fHeight; y++) {
		for (int32 x = 0; x < fWidth; x++)
			pixels[y * stride + x] = kBlankPixel;
	}
	cairo_surface_mark_dirty(fSurface);

	gtk_window_set_title(GTK_WINDOW(fWindow), params.title != NULL ? params.title : "");
	// The content area is the back buffer: exactly its size, never resized.
	gtk_widget_set_size_request(fArea, fWidth, fHeight);
	gtk_window_set_resizable(GTK_WINDOW(fWindow), FALSE);
	// The frame names the content area's corner, not the decorations'.
	gtk_window_set_gravity(GTK_WINDOW(fWindow), GDK_GRAVITY_STATIC);
	gtk_window_move(GTK_WINDOW(fWindow), (gint)fScreenOrigin.x, (gint)fScreenOrigin.y);
	gtk_widget_add_events(fArea,
		GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK
			| GDK_LEAVE_NOTIFY_MASK);
	gtk_container_add(GTK_CONTAINER(fWindow), fArea);
	ApplyHints(params.hints);
	ConnectSignals();
	fDrop.reset(new GtkDropTarget(fArea, fInput));
}

// The signals go first: what finishing a drag or destroying the widgets emits reaches the
// input no more.
GtkHostWindow::~GtkHostWindow()
{
	g_signal_handlers_disconnect_by_data(fWindow, this);
	g_signal_handlers_disconnect_by_data(fArea, this);
	fDrop.reset();
	gtk_widget_destroy(fWindow);
	cairo_surface_destroy(fSurface);
}

void GtkHostWindow::Show()
{
	gtk_window_move(GTK_WINDOW(fWindow), (gint)fScreenOrigin.x, (gint)fScreenOrigin.y);
	gtk_widget_show_all(fWindow);
	if (gtk_window_get_accept_focus(GTK_WINDOW(fWindow)))
		gtk_window_present(GTK_WINDOW(fWindow));
}

void GtkHostWindow::Hide()
{
	gtk_widget_hide(fWindow);
}

void GtkHostWindow::Present(const GtkPixelPatch& patch)
{
	int32 left = MAX(patch.left, 0);
	int32 top = MAX(patch.top, 0);
	int32 right = MIN(patch.left + patch.width, fWidth);
	int32 bottom = MIN(patch.top + patch.height, fHeight);
	if (left >= right || top >= bottom)
		return;

	cairo_surface_flush(fSurface);
	uint8* data = cairo_image_surface_get_data(fSurface);
	int stride = cairo_image_surface_get_stride(fSurface);
	for (int32 y = top; y < bottom; y++) {
		const uint32* from =
			&patch.pixels[(size_t)(y - patch.top) * patch.width + (left - patch.left)];
		memcpy(data + (size_t)y * stride + (size_t)left * 4, from, (size_t)(right - left) * 4);
	}
	cairo_surface_mark_dirty_rectangle(fSurface, left, top, right - left, bottom - top);
	fPresented = true;
	gtk_widget_queue_draw_area(fArea, left, top, right - left, bottom - top);
}

bool GtkHostWindow::QueryPointer(BPoint* where, uint32* buttons)
{
	GdkWindow* window = gtk_widget_get_window(fArea);
	if (window == NULL || !gtk_widget_get_realized(fArea)) {
		*where = fLastWhere;
		*buttons = fLastButtons;
		return true;
	}
	GdkSeat* seat = gdk_display_get_default_seat(gtk_widget_get_display(fArea));
	GdkDevice* pointer = seat != NULL ? gdk_seat_get_pointer(seat) : NULL;
	if (pointer == NULL)
		return false;
	double x = 0;
	double y = 0;
	GdkModifierType mask = (GdkModifierType)0;
	gdk_window_get_device_position_double(window, pointer, &x, &y, &mask);
	*where = BPoint(floor(x), floor(y));
	*buttons = ButtonsFromState(mask);
	return true;
}

void GtkHostWindow::ApplyHints(uint32 hints)
{
	GtkWindow* window = GTK_WINDOW(fWindow);
	if (hints & kHostWindowUndecorated)
		gtk_window_set_decorated(window, FALSE);
	if (hints & kHostWindowDialog)
		gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
	else if (hints & kHostWindowUtility)
		gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_UTILITY);
	if (hints & kHostWindowKeepAbove)
		gtk_window_set_keep_above(window, TRUE);
	if (hints & kHostWindowNotClosable)
		gtk_window_set_deletable(window, FALSE);
	if (hints & kHostWindowAvoidFocus) {
		gtk_window_set_accept_focus(window, FALSE);
		gtk_window_set_focus_on_map(window, FALSE);
	}
}

void GtkHostWindow::ConnectSignals()
{
	g_signal_connect(fArea, "draw", G_CALLBACK(&GtkHostWindow::OnDraw), this);
	g_signal_connect(fArea, "button-press-event", G_CALLBACK(&GtkHostWindow::OnButtonPress), this);
	g_signal_connect(
		fArea, "button-release-event", G_CALLBACK(&GtkHostWindow::OnButtonRelease), this);
	g_signal_connect(fArea, "motion-notify-event", G_CALLBACK(&GtkHostWindow::OnMotion), this);
	g_signal_connect(fArea, "leave-notify-event", G_CALLBACK(&GtkHostWindow::OnLeave), this);
	g_signal_connect(fWindow, "key-press-event", G_CALLBACK(&GtkHostWindow::OnKeyPress), this);
	g_signal_connect(fWindow, "delete-event", G_CALLBACK(&GtkHostWindow::OnDelete), this);
}

gboolean GtkHostWindow::OnDraw(GtkWidget*, cairo_t* cr, gpointer self)
{
	GtkHostWindow* window = static_cast<GtkHostWindow*>(self);
	if (!window->fPresented && !window->fExposeAsked) {
		window->fExposeAsked = true;
		window->fInput->Exposed(BRect(0, 0, window->fWidth - 1, window->fHeight - 1));
	}
	// Whole-factor scaling on dense displays keeps every pixel a sharp square.
	cairo_set_source_surface(cr, window->fSurface, 0, 0);
	cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
	cairo_paint(cr);
	return TRUE;
}

gboolean GtkHostWindow::OnButtonPress(GtkWidget*, GdkEventButton* event, gpointer self)
{
	// The second and third events of a double click repeat a press already reported.
	if (event->type != GDK_BUTTON_PRESS)
		return TRUE;
	uint32 buttons = ButtonsFromState(event->state) | ButtonBit(event->button);
	static_cast<GtkHostWindow*>(self)->ReportPointer(
		kButtonDown, event->x, event->y, buttons, event->state);
	return TRUE;
}

gboolean GtkHostWindow::OnButtonRelease(GtkWidget*, GdkEventButton* event, gpointer self)
{
	uint32 buttons = ButtonsFromState(event->state) & ~ButtonBit(event->button);
	static_cast<GtkHostWindow*>(self)->ReportPointer(
		kButtonUp, event->x, event->y, buttons, event->state);
	return TRUE;
}

gboolean GtkHostWindow::OnMotion(GtkWidget*, GdkEventMotion* event, gpointer self)
{
	static_cast<GtkHostWindow*>(self)->ReportPointer(
		kMoved, event->x, event->y, ButtonsFromState(event->state), event->state);
	return TRUE;
}

gboolean GtkHostWindow::OnLeave(GtkWidget*, GdkEventCrossing* event, gpointer self)
{
	// Leaving between two motion events would leave the view under the pointer entered.
	// With a button held, either our press keeps reporting motion or another program's
	// drag owns the pointer; neither needs it.
	if (event->mode == GDK_CROSSING_NORMAL && ButtonsFromState(event->state) == 0) {
		static_cast<GtkHostWindow*>(self)->ReportPointer(
			kMoved, event->x, event->y, ButtonsFromState(event->state), event->state);
	}
	return FALSE;
}

gboolean GtkHostWindow::OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer self)
{
	static_cast<GtkHostWindow*>(self)->ReportKey(event);
	return TRUE;
}

gboolean GtkHostWindow::OnDelete(GtkWidget*, GdkEvent*, gpointer self)
{
	// The window decides in QuitRequested; GTK must not destroy it.
	static_cast<GtkHostWindow*>(self)->fInput->CloseRequested();
	return TRUE;
}

void GtkHostWindow::ReportPointer(
	PointerChange change, double x, double y, uint32 buttons, guint state)
{
	fLastWhere = BPoint(floor(x), floor(y));
	fLastButtons = buttons;
	uint32 modifiers = ModifiersFromState(state);
	if (change == kButtonDown)
		fInput->ButtonDown(fLastWhere, buttons, modifiers, system_time());
	else if (change == kButtonUp)
		fInput->ButtonUp(fLastWhere, buttons, modifiers, system_time());
	else
		fInput->PointerMoved(fLastWhere, buttons, modifiers, system_time());
}

void GtkHostWindow::ReportKey(const GdkEventKey* event)
{
	std::string bytes = KeyBytes(event->keyval);
	if (bytes.empty())
		return;

	std::string raw = bytes;
	guint unmodified = 0;
	GdkKeymap* keymap = gdk_keymap_get_for_display(gtk_widget_get_display(fWindow));
	if (gdk_keymap_translate_keyboard_state(keymap, event->hardware_keycode, (GdkModifierType)0,
			event->group, &unmodified, NULL, NULL, NULL))
		raw = KeyBytes(unmodified);
	fInput->KeyDown(bytes.c_str(), raw.size() == 1 ? (uint8)raw[0] : 0,
		(int32)event->hardware_keycode, ModifiersFromState(event->state), system_time());
}

}  // namespace platform
