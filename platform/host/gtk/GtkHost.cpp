#include "host/gtk/GtkHost.h"

#include <errno.h>
#include <locale.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <gtk/gtk.h>
#ifdef GDK_WINDOWING_X11
#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#endif

#include "host/gtk/GtkHostWindow.h"
#include "host/gtk/XServerProbe.h"

namespace platform {

namespace {

// Xlib waits for ever on an X server that takes the connection and never answers. A live one
// answers: a local one within a millisecond, one through an ssh tunnel within a round trip,
// an Xwayland started on demand within about a second. Three seconds leave room for a loaded
// machine and are still short for someone waiting at a prompt.
const std::chrono::seconds kXServerAnswerTimeout(3);

// Written once before the display thread can fail, so the handlers need no allocation.
char gLostDisplayLine[256];
size_t gLostDisplayLineLength = 0;

[[noreturn]] void ReportLostDisplay()
{
	ssize_t written = write(STDERR_FILENO, gLostDisplayLine, gLostDisplayLineLength);
	(void)written;
	_exit(1);
}

#ifdef GDK_WINDOWING_X11
int OnXIOError(Display*)
{
	ReportLostDisplay();
}
#endif

void OnDisplayClosed(GdkDisplay*, gboolean isError, gpointer)
{
	if (isError)
		ReportLostDisplay();
}

}  // namespace

GtkHost::GtkHost() :
	fInitDone(false),
	fInitStatus(B_NO_INIT),
	fNextId(1)
{
}

GtkHost::~GtkHost()
{
	Shutdown();
}

status_t GtkHost::Init(const std::function<void()>& meanwhile)
{
	std::lock_guard<std::mutex> lock(fInitLock);
	if (fInitDone)
		return fInitStatus;
	fInitDone = true;

	snprintf(gLostDisplayLine, sizeof(gLostDisplayLine), "%s: lost the connection to the display\n",
		program_invocation_short_name);
	gLostDisplayLineLength = strlen(gLostDisplayLine);

	// The caller's work (loading a font, say) runs while the display thread brings GTK up,
	// and reads the locale and the environment. Whatever GTK would change of either is
	// changed first, here, so that nothing writes them while that work reads them (a setenv
	// racing a getenv crashed a few starts in a hundred).
	setlocale(LC_ALL, "");
	gtk_disable_setlocale();
	PrepareBackend();
	// GTK would take the launcher's startup id out of the environment itself.
	const char* given = getenv("DESKTOP_STARTUP_ID");
	std::string startupId = given != NULL ? given : "";
	unsetenv("DESKTOP_STARTUP_ID");
	std::string xDisplay = XDisplayTriedFirst();
	bool silent = false;  // written on the display thread before Start returns
	bool opened = fDisplay.Start(
		[xDisplay, &silent] {
			silent = !xDisplay.empty() && XServerStaysSilent(xDisplay, kXServerAnswerTimeout);
			return !silent;
		},
		[this, startupId] {
			WatchForDisplayLoss();
			GdkDisplay* display = gdk_display_get_default();
			if (!startupId.empty() && GDK_IS_X11_DISPLAY(display))
				gdk_x11_display_set_startup_notification_id(display, startupId.c_str());
		},
		meanwhile);
	if (opened) {
		fInitStatus = B_OK;
		fLastError.clear();
	} else if (silent) {
		fInitStatus = B_ERROR;
		fLastError = "the X server at '" + xDisplay + "' did not answer within "
			+ std::to_string(kXServerAnswerTimeout.count()) + " s";
	} else {
		fInitStatus = B_ERROR;
		std::string name = DisplayName();
		fLastError = name.empty() ? "no display is set (DISPLAY is empty)"
								  : "no display answers at '" + name + "'";
	}
	return fInitStatus;
}

void GtkHost::Shutdown()
{
	fDisplay.Stop([this] { fWindows.clear(); });
}

const char* GtkHost::LastError() const
{
	return fLastError.c_str();
}

status_t GtkHost::CreateWindow(const HostWindowParams& params, HostInput* input, host_window_id* id)
{
	if (input == NULL || id == NULL)
		return B_BAD_VALUE;
	status_t status = Init();
	if (status != B_OK)
		return status;

	host_window_id newId = fNextId++;
	bool created =
		fDisplay.Call([&] { fWindows[newId] = std::make_unique<GtkHostWindow>(params, input); });
	if (!created)
		return B_ERROR;
	*id = newId;
	return B_OK;
}

void GtkHost::ShowWindow(host_window_id id)
{
	fDisplay.Post([this, id] {
		if (GtkHostWindow* window = WindowFor(id))
			window->Show();
	});
}

void GtkHost::HideWindow(host_window_id id)
{
	fDisplay.Post([this, id] {
		if (GtkHostWindow* window = WindowFor(id))
			window->Hide();
	});
}

void GtkHost::PresentPixels(
	host_window_id id, const uint32* pixels, int32 width, int32 height, BRect dirty)
{
	if (pixels == NULL || width <= 0 || height <= 0)
		return;
	// The buffer belongs to the window's thread: copy the changed part out now.
	int32 left = 0;
	int32 top = 0;
	int32 right = width - 1;
	int32 bottom = height - 1;
	if (dirty.IsValid()) {
		left = MAX(left, (int32)floorf(dirty.left));
		top = MAX(top, (int32)floorf(dirty.top));
		right = MIN(right, (int32)ceilf(dirty.right));
		bottom = MIN(bottom, (int32)ceilf(dirty.bottom));
	}
	if (left > right || top > bottom)
		return;

	auto patch = std::make_shared<GtkPixelPatch>();
	patch->left = left;
	patch->top = top;
	patch->width = right - left + 1;
	patch->height = bottom - top + 1;
	patch->pixels.resize((size_t)patch->width * patch->height);
	for (int32 y = 0; y < patch->height; y++) {
		memcpy(&patch->pixels[(size_t)y * patch->width], pixels + (size_t)(top + y) * width + left,
			(size_t)patch->width * 4);
	}
	fDisplay.Post([this, id, patch] {
		if (GtkHostWindow* window = WindowFor(id))
			window->Present(*patch);
	});
}

void GtkHost::CloseWindow(host_window_id id)
{
	// Waits, so that the input hears nothing more once this returns. If the display thread
	// has stopped, its windows went with it.
	fDisplay.Call([this, id] { fWindows.erase(id); });
}

bool GtkHost::GetPointer(host_window_id id, BPoint* where, uint32* buttons)
{
	if (where == NULL || buttons == NULL)
		return false;
	bool known = false;
	fDisplay.Call([&] {
		if (GtkHostWindow* window = WindowFor(id))
			known = window->QueryPointer(where, buttons);
	});
	return known;
}

void GtkHost::PrepareBackend()
{
	// A window placed where its frame says needs X11 (also through XWayland). Windows show
	// pixels from memory, so GDK need not load OpenGL to pick visuals for it; and the
	// accessibility bridge only slows the start where no bus listens.
	if (getenv("GDK_BACKEND") == NULL)
		gdk_set_allowed_backends("x11,*");
	setenv("GDK_GL", "disable", 0);
	setenv("NO_AT_BRIDGE", "1", 0);
}

std::string GtkHost::DisplayName()
{
	const char* name = getenv("DISPLAY");
	if (name == NULL || name[0] == '\0')
		name = getenv("WAYLAND_DISPLAY");
	return name != NULL ? name : "";
}

std::string GtkHost::XDisplayTriedFirst()
{
	const char* backends = getenv("GDK_BACKEND");
	if (backends != NULL
		&& (strncmp(backends, "x11", 3) != 0 || (backends[3] != '\0' && backends[3] != ',')))
		return "";
	const char* name = getenv("DISPLAY");
	return name != NULL ? name : "";
}

void GtkHost::WatchForDisplayLoss()
{
	GdkDisplay* display = gdk_display_get_default();
	g_signal_connect(display, "closed", G_CALLBACK(OnDisplayClosed), NULL);
#ifdef GDK_WINDOWING_X11
	// GDK's own handler prints several lines; one is enough.
	if (GDK_IS_X11_DISPLAY(display))
		XSetIOErrorHandler(OnXIOError);
#endif
}

GtkHostWindow* GtkHost::WindowFor(host_window_id id)
{
	auto found = fWindows.find(id);
	return found != fWindows.end() ? found->second.get() : NULL;
}

GtkHost& GtkHost::Instance()
{
	static GtkHost host;
	return host;
}

}  // namespace platform
