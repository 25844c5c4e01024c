#include "Session.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>

#include "TestSupport.h"

extern char** environ;

namespace e2e {

using testing_support::WaitUntil;

namespace {

std::string TempFile()
{
	char name[] = "/tmp/vellumark-e2e-XXXXXX";
	close(mkstemp(name));
	return name;
}

}  // namespace

Child::Child(const std::vector<std::string>& argv, const std::vector<std::string>& env) :
	fOut(TempFile()),
	fErr(TempFile())
{
	// Through sh, for the streams, and env(1), which takes removals before settings.
	std::vector<std::string> all = {
		"sh", "-c", "exec env \"$@\" </dev/null >" + fOut + " 2>" + fErr, "sh"};
	for (const std::string& change : env) {
		if (change.back() == '=')
			all.insert(all.begin() + 4, {"-u", change.substr(0, change.size() - 1)});
		else
			all.push_back(change);
	}
	all.insert(all.end(), argv.begin(), argv.end());
	std::vector<char*> args;
	for (const std::string& arg : all)
		args.push_back(const_cast<char*>(arg.c_str()));
	args.push_back(NULL);
	if (posix_spawnp(&fPid, "sh", NULL, NULL, args.data(), environ) != 0)
		fPid = -1;
}

Child::~Child()
{
	if (fPid > 0 && Running()) {
		kill(fPid, SIGKILL);
		Wait();
	}
	unlink(fOut.c_str());
	unlink(fErr.c_str());
}

int Child::Wait(std::chrono::milliseconds timeout)
{
	WaitUntil(
		[&] {
			int raw = 0;
			if (fStatus < 0 && fPid > 0 && waitpid(fPid, &raw, WNOHANG) == fPid)
				fStatus = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
			return fStatus >= 0 || fPid <= 0;
		},
		timeout);
	return fStatus;
}

std::vector<std::string> Lines(const std::string& text)
{
	std::vector<std::string> lines;
	std::istringstream stream(text);
	for (std::string line; std::getline(stream, line);) {
		if (!line.empty())
			lines.push_back(line);
	}
	return lines;
}

bool HaveProgram(const std::string& name)
{
	return Child({"sh", "-c", "command -v " + name}).Wait() == 0;
}

void Session::SetUp()
{
	for (const char* tool : {"Xvfb", "xdotool"}) {
		if (!HaveProgram(tool))
			GTEST_SKIP() << tool << " is not installed (scripts/setup installs it)";
	}
	if (access(kProgram, X_OK) != 0)
		GTEST_SKIP() << "the program is not built: " << kProgram;
	// Xvfb writes the display number it chose to its output once it takes clients.
	fServer.reset(new Child({"Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten",
		"tcp", "-noreset"}));
	ASSERT_TRUE(WaitUntil(
		[&] { return fServer->Out().find('\n') != std::string::npos; }, std::chrono::seconds(10)))
		<< "Xvfb did not start: " << fServer->Err();
	std::string display = ":" + Lines(fServer->Out())[0];
	fEnv = {"DISPLAY=" + display, "WAYLAND_DISPLAY=", "GDK_BACKEND=x11"};
	// Windows come and go while a test looks at them; a vanished one is no failure.
	XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
	fX = {XOpenDisplay(display.c_str()), XCloseDisplay};
	ASSERT_TRUE(fX != nullptr) << "cannot connect to " << display;
}

void Session::Launch(const std::vector<std::string>& arguments)
{
	std::vector<std::string> argv = {kProgram};
	argv.insert(argv.end(), arguments.begin(), arguments.end());
	fProgram.reset(new Child(argv, fEnv));
	ASSERT_TRUE(WaitUntil(
		[&] {
			for (const Toplevel& window : Toplevels()) {
				if (window.title == "Vellumark")
					fMain = window;
			}
			return fMain.id != 0;
		},
		std::chrono::seconds(10)))
		<< "no window titled Vellumark: " << fProgram->Err();
}

int Session::Xdotool(const std::string& command)
{
	std::vector<std::string> argv = {"xdotool"};
	std::istringstream words(command);
	for (std::string word; words >> word;)
		argv.push_back(word);
	return Child(argv, fEnv).Wait(std::chrono::seconds(20));
}

std::vector<Toplevel> Session::Toplevels()
{
	std::vector<Toplevel> found;
	Window unused, *children = nullptr;
	unsigned int count = 0;
	XQueryTree(fX.get(), DefaultRootWindow(fX.get()), &unused, &unused, &children, &count);
	for (unsigned int i = 0; i < count; i++) {
		XWindowAttributes at;
		char* name = nullptr;
		if (!XGetWindowAttributes(fX.get(), children[i], &at) || at.map_state != IsViewable
			|| at.c_class != InputOutput)
			continue;
		XFetchName(fX.get(), children[i], &name);
		// Children of the root: their place is on the screen.
		found.push_back(
			{children[i], name != nullptr ? name : "", at.x, at.y, at.width, at.height});
		XFree(name);
	}
	XFree(children);
	return found;
}

std::vector<uint32_t> Session::Grab(int x, int y, int width, int height)
{
	std::vector<uint32_t> pixels;
	XSync(fX.get(), False);
	XImage* image =
		XGetImage(fX.get(), DefaultRootWindow(fX.get()), x, y, width, height, AllPlanes, ZPixmap);
	if (image == nullptr)
		return pixels;
	// The screen is 24 bits deep: a pixel is 0xRRGGBB.
	for (int row = 0; row < height; row++) {
		for (int column = 0; column < width; column++)
			pixels.push_back(XGetPixel(image, column, row) & 0xFFFFFF);
	}
	XDestroyImage(image);
	return pixels;
}

void Session::SendCloseRequest(unsigned long window)
{
	XEvent event = {};
	event.xclient.type = ClientMessage;
	event.xclient.window = window;
	event.xclient.message_type = XInternAtom(fX.get(), "WM_PROTOCOLS", False);
	event.xclient.format = 32;
	event.xclient.data.l[0] = (long)XInternAtom(fX.get(), "WM_DELETE_WINDOW", False);
	event.xclient.data.l[1] = CurrentTime;
	XSendEvent(fX.get(), window, False, NoEventMask, &event);
	XFlush(fX.get());
}

}  // namespace e2e
