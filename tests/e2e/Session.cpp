#include "Session.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace e2e {

std::vector<uint32_t> Session::Grab(int x, int y, int width, int height)
{
	std::vector<uint32_t> pixels;
	Display* display = XOpenDisplay(fDisplay.c_str());
	XImage* image = display == nullptr
		? nullptr
		: XGetImage(display, DefaultRootWindow(display), x, y, width, height, AllPlanes, ZPixmap);
	// The screen is 24 bits deep: a pixel is 0xRRGGBB.
	for (int i = 0; image != nullptr && i < width * height; i++)
		pixels.push_back(XGetPixel(image, i % width, i / width) & 0xFFFFFF);
	if (image != nullptr)
		XDestroyImage(image);
	if (display != nullptr)
		XCloseDisplay(display);
	return pixels;
}

void Session::SendCloseRequest(unsigned long window)
{
	Display* display = XOpenDisplay(fDisplay.c_str());
	ASSERT_NE(display, nullptr);
	XEvent event = {};
	event.xclient.type = ClientMessage;
	event.xclient.window = window;
	event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
	event.xclient.format = 32;
	event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
	event.xclient.data.l[1] = CurrentTime;
	XSendEvent(display, window, False, NoEventMask, &event);
	XCloseDisplay(display);
}

}  // namespace e2e
