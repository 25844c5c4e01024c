// vellumark --refs where no display opens: the program runs on the headless host, handles the
// first file as a drop on Set icon, prints what it prints on a display and exits.

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include "Session.h"
#include "TestSupport.h"

namespace e2e {

using testing_support::HasXattr;

// A display of this machine's whose server takes connections and never answers: a unix socket
// at the first free display number from the given one, listening (its queue takes the
// connection) until destruction, when it goes.
class SilentDisplay {
public:
	explicit SilentDisplay(int number) :
		fNumber(number)
	{
		mkdir("/tmp/.X11-unix", 01777);
		while (access(Path().c_str(), F_OK) == 0)
			fNumber++;
		sockaddr_un address = {};
		address.sun_family = AF_UNIX;
		Path().copy(address.sun_path, sizeof(address.sun_path) - 1);
		fSocket = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
		if (bind(fSocket, (sockaddr*)&address, sizeof(address)) != 0 || listen(fSocket, 16) != 0) {
			close(fSocket);
			fSocket = -1;
		}
	}
	~SilentDisplay()
	{
		if (fSocket >= 0) {
			close(fSocket);
			unlink(Path().c_str());
		}
	}

	bool Listens() const { return fSocket >= 0; }
	std::string Name() const { return ":" + std::to_string(fNumber); }

private:
	std::string Path() const { return "/tmp/.X11-unix/X" + std::to_string(fNumber); }

	int fNumber;
	int fSocket = -1;
};

// All runs at once, so that instances side by side show that they never meet.
TEST(RefsWithoutDisplay, EachRunHandlesItsFirstFileOrEndsWithOneLineAndAFailureStatus)
{
	testing_support::TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	for (const char* file : {"one/a.txt", "two/b.txt", "four/c.txt", "five/d.txt"})
		dir.Make(file);
	dir.Make("three/sub", true);
	enum Display {
		kNone,
		kRefusing,
		kSilent
	};
	static const struct {
		std::vector<std::string> arguments;  // files relative to the folder, unless absolute
		Display display;  // kRefusing: no server takes it; kSilent: one takes it, never answers
		int status;
		const char* out;
		const char* err;  // in the first line on standard error; NULL: no line
	} kRuns[] = {
		{{"--refs", "one/a.txt", "two/b.txt"}, kNone, 0, "", NULL},
		{{"--refs", "three/sub"}, kNone, 0, "", NULL},
		{{"--refs", "/proc/self/status"}, kNone, 0,
			"Set large icon failed.\nSet mini icon failed.\n", NULL},
		{{"--refs"}, kNone, 1, "", "--refs names no existing file"},
		{{"--refs", "missing.txt"}, kNone, 1, "", "--refs names no existing file"},
		{{"--refs", "four/c.txt"}, kRefusing, 0, "", "cannot open the display"},
		{{}, kRefusing, 1, "", "cannot open the display"},
		{{"--refs", "five/d.txt"}, kSilent, 0, "", "cannot open the display: the X server"},
		{{}, kSilent, 1, "", "cannot open the display: the X server"},
	};
	SilentDisplay silent(4000);
	ASSERT_TRUE(silent.Listens());
	// A display of this machine's that no server takes (a unix socket only: no TCP port).
	int number = 4000;
	while (access(("/tmp/.X11-unix/X" + std::to_string(number)).c_str(), F_OK) == 0)
		number++;
	const std::string kDisplays[] = {"", "unix:" + std::to_string(number), silent.Name()};
	std::vector<std::unique_ptr<Child>> runs;
	for (const auto& run : kRuns) {
		std::vector<std::string> argv = {kProgram};
		for (const std::string& argument : run.arguments)
			argv.push_back(
				argument[0] == '-' || argument[0] == '/' ? argument : dir.Join(argument));
		runs.emplace_back(new Child(
			argv, {"DISPLAY=" + kDisplays[run.display], "WAYLAND_DISPLAY=", "GDK_BACKEND=x11"}));
	}
	// Every run ends within the bound on a silent server's answer and a start under load.
	auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
	for (size_t i = 0; i < std::size(kRuns); i++) {
		const auto& run = kRuns[i];
		auto left = std::max(std::chrono::milliseconds(0),
			std::chrono::duration_cast<std::chrono::milliseconds>(
				end - std::chrono::steady_clock::now()));
		EXPECT_EQ(runs[i]->Wait(left), run.status) << "run " << i << ": " << runs[i]->Err();
		EXPECT_EQ(runs[i]->Out(), run.out) << "run " << i;
		std::vector<std::string> lines = Lines(runs[i]->Err());
		EXPECT_EQ(lines.size(), run.err == NULL ? 0u : 1u) << "run " << i << ": " << runs[i]->Err();
		if (run.err != NULL && !lines.empty()) {
			EXPECT_NE(lines[0].find(run.err), std::string::npos) << "run " << i << ": " << lines[0];
			if (run.display != kNone) {
				EXPECT_NE(lines[0].find(kDisplays[run.display]), std::string::npos) << lines[0];
			}
		}
	}
	// Many starts, one after the other: GTK coming up on its thread while the fonts load on
	// the main one must never crash (a race on the environment did, in a few in a hundred).
	// As many as 20 s allow, up to 80: a sanitized build starts slower.
	end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
	for (int i = 0; i < 80 && std::chrono::steady_clock::now() < end; i++) {
		Child start({kProgram, "--refs", dir.Join("one/a.txt")},
			{"DISPLAY=", "WAYLAND_DISPLAY=", "GDK_BACKEND=x11"});
		ASSERT_EQ(start.Wait(), 0) << "start " << i << ": " << start.Err();
	}
	// The first file's folder, for each run that names one.
	for (const auto& [folder, icons] :
		{std::pair{"one", true}, {"two", false}, {"three", true}, {"four", true}, {"five", true}}) {
		EXPECT_EQ(HasXattr(dir.Join(folder), testing_support::kLargeIconAttr), icons) << folder;
		EXPECT_EQ(HasXattr(dir.Join(folder), testing_support::kMiniIconAttr), icons) << folder;
	}
}

}  // namespace e2e
