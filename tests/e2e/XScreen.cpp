#include "XScreen.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace e2e {

namespace {

// Windows come and go while a test looks at them; a vanished one is no failure.
int IgnoreXError(Display*, XErrorEvent*)
{
	return 0;
}

int ChannelOf(unsigned long pixel, unsigned long mask)
{
	if (mask == 0)
		return 0;
	int shift = 0;
	while (((mask >> shift) & 1) == 0)
		shift++;
	unsigned long value = (pixel & mask) >> shift;
	unsigned long maximum = mask >> shift;
	return (int)(value * 255 / maximum);
}

}  // namespace

std::ostream& operator<<(std::ostream& stream, const Rgb& colour)
{
	return stream << "(" << colour.red << ", " << colour.green << ", " << colour.blue << ")";
}

XScreen::XScreen(const std::string& display) :
	fDisplay(XOpenDisplay(display.c_str()))
{
	XSetErrorHandler(IgnoreXError);
}

XScreen::~XScreen()
{
	Close();
}

std::vector<TopWindow> XScreen::Toplevels(const std::string& instance)
{
	std::vector<TopWindow> found;
	if (fDisplay == nullptr)
		return found;
	Window root = DefaultRootWindow(fDisplay);
	Window rootReturn;
	Window parent;
	Window* children = nullptr;
	unsigned int count = 0;
	if (!XQueryTree(fDisplay, root, &rootReturn, &parent, &children, &count))
		return found;
	for (unsigned int i = 0; i < count; i++) {
		XWindowAttributes attributes;
		if (!XGetWindowAttributes(fDisplay, children[i], &attributes)
			|| attributes.map_state != IsViewable || attributes.c_class != InputOutput)
			continue;
		TopWindow window;
		window.id = children[i];
		XClassHint hint = {nullptr, nullptr};
		if (XGetClassHint(fDisplay, children[i], &hint)) {
			window.instance = hint.res_name != nullptr ? hint.res_name : "";
			XFree(hint.res_name);
			XFree(hint.res_class);
		}
		if (!instance.empty() && window.instance != instance)
			continue;
		char* name = nullptr;
		if (XFetchName(fDisplay, children[i], &name) && name != nullptr) {
			window.title = name;
			XFree(name);
		}
		Window child;
		XTranslateCoordinates(fDisplay, children[i], root, 0, 0, &window.x, &window.y, &child);
		window.width = attributes.width;
		window.height = attributes.height;
		found.push_back(window);
	}
	XFree(children);
	return found;
}

bool XScreen::FindWindow(const std::string& title, TopWindow* window)
{
	for (const TopWindow& candidate : Toplevels()) {
		if (candidate.title == title) {
			*window = candidate;
			return true;
		}
	}
	return false;
}

Rgb XScreen::PixelAt(int x, int y)
{
	return Grab(x, y, 1, 1).At(x, y);
}

ScreenShot XScreen::Grab(int left, int top, int width, int height)
{
	ScreenShot shot;
	shot.left = left;
	shot.top = top;
	shot.width = width;
	shot.height = height;
	shot.pixels.assign((size_t)width * height, Rgb{-1, -1, -1});
	if (fDisplay == nullptr)
		return shot;
	XSync(fDisplay, False);
	XImage* image = XGetImage(
		fDisplay, DefaultRootWindow(fDisplay), left, top, width, height, AllPlanes, ZPixmap);
	if (image == nullptr)
		return shot;
	for (int y = 0; y < height; y++) {
		for (int x = 0; x < width; x++) {
			unsigned long pixel = XGetPixel(image, x, y);
			shot.pixels[(size_t)y * width + x] = Rgb{ChannelOf(pixel, image->red_mask),
				ChannelOf(pixel, image->green_mask), ChannelOf(pixel, image->blue_mask)};
		}
	}
	XDestroyImage(image);
	return shot;
}

void XScreen::SendCloseRequest(unsigned long window)
{
	if (fDisplay == nullptr)
		return;
	XEvent event = {};
	event.xclient.type = ClientMessage;
	event.xclient.window = window;
	event.xclient.message_type = XInternAtom(fDisplay, "WM_PROTOCOLS", False);
	event.xclient.format = 32;
	event.xclient.data.l[0] = (long)XInternAtom(fDisplay, "WM_DELETE_WINDOW", False);
	event.xclient.data.l[1] = CurrentTime;
	XSendEvent(fDisplay, window, False, NoEventMask, &event);
	XFlush(fDisplay);
}

void XScreen::MoveWindow(unsigned long window, int x, int y)
{
	if (fDisplay == nullptr)
		return;
	XMoveWindow(fDisplay, window, x, y);
	XSync(fDisplay, False);
}

void XScreen::Close()
{
	if (fDisplay != nullptr)
		XCloseDisplay(fDisplay);
	fDisplay = nullptr;
}

}  // namespace e2e
