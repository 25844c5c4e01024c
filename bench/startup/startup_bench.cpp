// Start-up of Vellumark on Xvfb next to a minimal GTK 3 window program (the floor), in one run:
// the time from exec to the window mapped and showing its first frame, the peak resident
// memory, and what the program does while nothing happens (it should not wake at all).
//
//   startup_bench [runs] [idle seconds]

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

const unsigned long kViewColour = 0xD8D8D8;
const int kProbeX = 5;
const int kProbeY = 5;

struct Sample {
	double startMs = 0;
	long peakKb = 0;
};

struct IdleUse {
	double cpuMs = 0;
	long wakeups = 0;
};

int IgnoreXError(Display*, XErrorEvent*)
{
	return 0;
}

// A virtual X server that picks its own free display number.
class VirtualDisplay {
public:
	~VirtualDisplay() { Stop(); }

	bool Start()
	{
		int fds[2];
		if (pipe(fds) != 0)
			return false;
		fPid = fork();
		if (fPid == 0) {
			dup2(fds[1], 3);
			int devNull = open("/dev/null", O_RDWR);
			dup2(devNull, 1);
			dup2(devNull, 2);
			for (int fd = 4; fd < 1024; fd++)
				close(fd);
			execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten",
				"tcp", "-noreset", (char*)NULL);
			_exit(127);
		}
		close(fds[1]);
		std::string number;
		struct pollfd ready = {fds[0], POLLIN, 0};
		char c;
		while (poll(&ready, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
			number += c;
		close(fds[0]);
		if (number.empty())
			return false;
		fName = ":" + number;
		return true;
	}

	void Stop()
	{
		if (fPid > 0) {
			kill(fPid, SIGTERM);
			waitpid(fPid, NULL, 0);
		}
		fPid = -1;
	}

	const std::string& Name() const { return fName; }

private:
	pid_t fPid = -1;
	std::string fName;
};

pid_t Spawn(const std::string& program, const std::string& display)
{
	std::vector<std::string> environment;
	for (char** entry = environ; *entry != NULL; entry++) {
		std::string text = *entry;
		if (text.rfind("DISPLAY=", 0) != 0 && text.rfind("WAYLAND_DISPLAY=", 0) != 0)
			environment.push_back(text);
	}
	environment.push_back("DISPLAY=" + display);
	// Both programs meet the same desktop: no accessibility bus.
	environment.push_back("NO_AT_BRIDGE=1");
	std::vector<char*> envp;
	for (std::string& text : environment)
		envp.push_back(text.data());
	envp.push_back(NULL);
	std::string path = program;
	char* argv[] = {path.data(), NULL};

	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
	posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
	pid_t pid = -1;
	if (posix_spawn(&pid, path.c_str(), &actions, NULL, argv, envp.data()) != 0)
		pid = -1;
	posix_spawn_file_actions_destroy(&actions);
	return pid;
}

void Stop(pid_t pid)
{
	kill(pid, SIGKILL);
	waitpid(pid, NULL, 0);
}

// The mapped top-level window titled "Vellumark", 0 when there is none.
Window FindWindow(Display* display, int* x, int* y)
{
	Window root = DefaultRootWindow(display);
	Window rootReturn, parent, *children = NULL;
	unsigned int count = 0;
	Window found = 0;
	if (!XQueryTree(display, root, &rootReturn, &parent, &children, &count))
		return 0;
	for (unsigned int i = 0; i < count && found == 0; i++) {
		XWindowAttributes attributes;
		char* name = NULL;
		if (!XGetWindowAttributes(display, children[i], &attributes)
			|| attributes.map_state != IsViewable || !XFetchName(display, children[i], &name))
			continue;
		if (name != NULL && strcmp(name, "Vellumark") == 0) {
			found = children[i];
			Window child;
			XTranslateCoordinates(display, children[i], root, 0, 0, x, y, &child);
		}
		XFree(name);
	}
	XFree(children);
	return found;
}

bool ShowsViewColour(Display* display, int x, int y)
{
	XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
	if (image == NULL)
		return false;
	bool drawn = (XGetPixel(image, 0, 0) & 0xFFFFFF) == kViewColour;
	XDestroyImage(image);
	return drawn;
}

// Polls every millisecond: the window mapped and its probe pixel in the view colour.
bool WaitForFirstFrame(Display* display, Clock::time_point start, double* ms)
{
	while (Clock::now() - start < std::chrono::seconds(20)) {
		int x = 0, y = 0;
		if (FindWindow(display, &x, &y) != 0
			&& ShowsViewColour(display, x + kProbeX, y + kProbeY)) {
			*ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
			return true;
		}
		std::this_thread::sleep_for(std::chrono::milliseconds(1));
	}
	return false;
}

void WaitForNoWindow(Display* display)
{
	int x, y;
	for (int i = 0; i < 2000 && FindWindow(display, &x, &y) != 0; i++)
		std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

long StatusField(const std::string& path, const std::string& field)
{
	std::ifstream file(path);
	std::string line;
	while (std::getline(file, line)) {
		if (line.rfind(field + ":", 0) == 0)
			return atol(line.c_str() + field.size() + 1);
	}
	return 0;
}

// CPU time (ns) and wake-ups (context switches) of every thread of the process.
void ThreadTotals(pid_t pid, double* cpuNs, long* switches)
{
	*cpuNs = 0;
	*switches = 0;
	std::string tasks = "/proc/" + std::to_string(pid) + "/task";
	DIR* dir = opendir(tasks.c_str());
	if (dir == NULL)
		return;
	while (struct dirent* entry = readdir(dir)) {
		if (entry->d_name[0] == '.')
			continue;
		std::string task = tasks + "/" + entry->d_name;
		std::ifstream schedstat(task + "/schedstat");
		double ns = 0;
		schedstat >> ns;
		*cpuNs += ns;
		*switches += StatusField(task + "/status", "voluntary_ctxt_switches")
			+ StatusField(task + "/status", "nonvoluntary_ctxt_switches");
	}
	closedir(dir);
}

bool Measure(Display* display, const std::string& program, const std::string& displayName,
	double idleSeconds, Sample* sample, IdleUse* idle)
{
	WaitForNoWindow(display);
	Clock::time_point start = Clock::now();
	pid_t pid = Spawn(program, displayName);
	if (pid < 0)
		return false;
	bool drawn = WaitForFirstFrame(display, start, &sample->startMs);
	if (drawn) {
		std::this_thread::sleep_for(std::chrono::milliseconds(300));
		sample->peakKb = StatusField("/proc/" + std::to_string(pid) + "/status", "VmHWM");
		if (idle != NULL) {
			double cpuBefore, cpuAfter;
			long switchesBefore, switchesAfter;
			ThreadTotals(pid, &cpuBefore, &switchesBefore);
			std::this_thread::sleep_for(std::chrono::duration<double>(idleSeconds));
			ThreadTotals(pid, &cpuAfter, &switchesAfter);
			idle->cpuMs = (cpuAfter - cpuBefore) / 1e6;
			idle->wakeups = switchesAfter - switchesBefore;
		}
	}
	Stop(pid);
	return drawn;
}

template<typename T>
T Median(std::vector<T> values)
{
	std::sort(values.begin(), values.end());
	return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
	int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
	double idleSeconds = argc > 2 ? atof(argv[2]) : 3.0;
	const std::string programs[2] = {VELLUMARK_PROGRAM, FLOOR_PROGRAM};
	for (const std::string& program : programs) {
		if (access(program.c_str(), X_OK) != 0) {
			fprintf(stderr, "startup_bench: %s is not built\n", program.c_str());
			return 1;
		}
	}

	VirtualDisplay server;
	if (!server.Start()) {
		fprintf(stderr, "startup_bench: Xvfb did not start\n");
		return 1;
	}
	XSetErrorHandler(IgnoreXError);
	Display* display = XOpenDisplay(server.Name().c_str());
	if (display == NULL) {
		fprintf(stderr, "startup_bench: cannot connect to %s\n", server.Name().c_str());
		return 1;
	}

	// Alternating, so that both meet the same warm caches; one unmeasured run of each first.
	std::vector<Sample> samples[2];
	IdleUse idle[2];
	for (int run = -1; run < runs; run++) {
		for (int which = 0; which < 2; which++) {
			Sample sample;
			bool last = run == runs - 1;
			if (!Measure(display, programs[which], server.Name(), idleSeconds, &sample,
					last ? &idle[which] : NULL)) {
				fprintf(stderr,
					"startup_bench: %s showed no frame in the view colour %06lX "
					"at (%d, %d) within 20 s\n",
					programs[which].c_str(), kViewColour, kProbeX, kProbeY);
				return 1;
			}
			if (run >= 0)
				samples[which].push_back(sample);
		}
	}
	XCloseDisplay(display);

	std::vector<double> times[2];
	std::vector<long> peaks[2];
	for (int which = 0; which < 2; which++) {
		for (const Sample& sample : samples[which]) {
			times[which].push_back(sample.startMs);
			peaks[which].push_back(sample.peakKb);
		}
	}
	double time[2] = {Median(times[0]), Median(times[1])};
	double peak[2] = {Median(peaks[0]) / 1024.0, Median(peaks[1]) / 1024.0};
	printf("Start-up on Xvfb, median of %d runs (goal: within 1.3x of the floor)\n", runs);
	printf("  exec to first frame   vellumark %7.1f ms   floor %7.1f ms   ratio %.2f\n", time[0],
		time[1], time[0] / time[1]);
	printf("  peak resident memory  vellumark %7.1f MiB  floor %7.1f MiB  ratio %.2f\n", peak[0],
		peak[1], peak[0] / peak[1]);
	printf("Idle for %.1f s after the first frame (goal: no CPU, no wake-ups)\n", idleSeconds);
	printf("  vellumark %.3f ms CPU, %ld wake-ups;  floor %.3f ms CPU, %ld wake-ups\n",
		idle[0].cpuMs, idle[0].wakeups, idle[1].cpuMs, idle[1].wakeups);
	return 0;
}
