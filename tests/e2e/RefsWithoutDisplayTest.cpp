// vellumark --refs where no display opens: the program runs on the headless host, handles the
// first file as a drop on Set icon, prints what it prints on a display and exits.

#include <unistd.h>

#include <chrono>

#include "Session.h"
#include "TestSupport.h"

namespace e2e {

using testing_support::HasXattr;

// All runs at once, so that instances side by side show that they never meet.
TEST(RefsWithoutDisplay, EachRunHandlesItsFirstFileOrEndsWithOneLineAndAFailureStatus)
{
	testing_support::TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	for (const char* file : {"one/a.txt", "two/b.txt", "four/c.txt"})
		dir.Make(file);
	dir.Make("three/sub", true);
	static const struct {
		std::vector<std::string> arguments;  // files relative to the folder, unless absolute
		bool display;  // a display where no server answers; else none
		int status;
		const char* out;
		const char* err;  // in the first line on standard error; NULL: no line
	} kRuns[] = {
		{{"--refs", "one/a.txt", "two/b.txt"}, false, 0, "", NULL},
		{{"--refs", "three/sub"}, false, 0, "", NULL},
		{{"--refs", "/proc/self/status"}, false, 0,
			"Set large icon failed.\nSet mini icon failed.\n", NULL},
		{{"--refs"}, false, 1, "", "--refs names no existing file"},
		{{"--refs", "missing.txt"}, false, 1, "", "--refs names no existing file"},
		{{"--refs", "four/c.txt"}, true, 0, "", "cannot open the display"},
		{{}, true, 1, "", "cannot open the display"},
	};
	// A display of this machine's that no server takes (a unix socket only: no TCP port).
	int number = 4000;
	while (access(("/tmp/.X11-unix/X" + std::to_string(number)).c_str(), F_OK) == 0)
		number++;
	std::string refusing = "unix:" + std::to_string(number);
	std::vector<std::unique_ptr<Child>> runs;
	for (const auto& run : kRuns) {
		std::vector<std::string> argv = {kProgram};
		for (const std::string& argument : run.arguments)
			argv.push_back(
				argument[0] == '-' || argument[0] == '/' ? argument : dir.Join(argument));
		std::string display = run.display ? refusing : "";
		runs.emplace_back(
			new Child(argv, {"DISPLAY=" + display, "WAYLAND_DISPLAY=", "GDK_BACKEND=x11"}));
	}
	for (size_t i = 0; i < std::size(kRuns); i++) {
		const auto& run = kRuns[i];
		EXPECT_EQ(runs[i]->Wait(), run.status) << "run " << i << ": " << runs[i]->Err();
		EXPECT_EQ(runs[i]->Out(), run.out) << "run " << i;
		std::vector<std::string> lines = Lines(runs[i]->Err());
		EXPECT_EQ(lines.size(), run.err == NULL ? 0u : 1u) << "run " << i << ": " << runs[i]->Err();
		if (run.err != NULL && !lines.empty()) {
			EXPECT_NE(lines[0].find(run.err), std::string::npos) << "run " << i << ": " << lines[0];
			EXPECT_EQ(lines[0].find(refusing) != std::string::npos, run.display) << i;
		}
	}
	// Many starts, one after the other: GTK coming up on its thread while the fonts load on
	// the main one must never crash (a race on the environment did, in a few in a hundred).
	// As many as 20 s allow, up to 80: a sanitized build starts slower.
	auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
	for (int i = 0; i < 80 && std::chrono::steady_clock::now() < end; i++) {
		Child start({kProgram, "--refs", dir.Join("one/a.txt")},
			{"DISPLAY=", "WAYLAND_DISPLAY=", "GDK_BACKEND=x11"});
		ASSERT_EQ(start.Wait(), 0) << "start " << i << ": " << start.Err();
	}
	// The first file's folder, for each run that names one.
	for (const auto& [folder, icons] :
		{std::pair{"one", true}, {"two", false}, {"three", true}, {"four", true}}) {
		EXPECT_EQ(HasXattr(dir.Join(folder), testing_support::kLargeIconAttr), icons) << folder;
		EXPECT_EQ(HasXattr(dir.Join(folder), testing_support::kMiniIconAttr), icons) << folder;
	}
}

}  // namespace e2e
