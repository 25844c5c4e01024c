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
		"tcp", "-noreset", "-br"}));
	ASSERT_TRUE(WaitUntil(
		[&] { return fServer->Out().find('\n') != std::string::npos; }, std::chrono::seconds(10)))
		<< "Xvfb did not start: " << fServer->Err();
	std::string display = ":" + Lines(fServer->Out())[0];
	fEnv = {"DISPLAY=" + display, "WAYLAND_DISPLAY=", "GDK_BACKEND=x11"};
	fX = {XOpenDisplay(display.c_str()), XCloseDisplay};
	ASSERT_TRUE(fX != nullptr) << "cannot connect to " << display;
}

void Session::Launch(const std::vector<std::string>& arguments)
{
	std::vector<std::string> argv = {kProgram};
	argv.insert(argv.end(), arguments.begin(), arguments.end());
	fProgram.reset(new Child(argv, fEnv));
	std::vector<std::string> found =
		Lines(Xdotool("search --sync --onlyvisible --maxdepth 1 --name ^Vellumark$"));
	ASSERT_EQ(found.size(), 1u) << "no window titled Vellumark: " << fProgram->Err();
	fMain = std::stoul(found[0]);
}

std::string Session::Xdotool(const std::string& command)
{
	Child xdotool({"sh", "-c", "exec xdotool " + command}, fEnv);
	xdotool.Wait(std::chrono::seconds(20));
	return xdotool.Out();
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
