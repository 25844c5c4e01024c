// vellumark --refs where no display opens: the program runs on the headless host, handles the
// first file as a drop on Set icon, prints what it prints on a display and exits.

#include "Session.h"

namespace e2e {

// All runs at once, so that instances side by side show that they never meet.
TEST(RefsWithoutDisplay, EachRunHandlesItsFirstFileOrEndsWithOneLineAndAFailureStatus)
{
	TempDir dir;
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
	// A display of this machine's whose server takes connections and never answers, and one
	// that no server takes (a unix socket only: no TCP port).
	int silent = FakeXServer::FreeNumber(4000);
	FakeXServer server(kXFile, silent);
	const std::string kDisplays[] = {"",
		"unix:" + std::to_string(FakeXServer::FreeNumber(silent + 1)),
		":" + std::to_string(silent)};
	std::vector<std::unique_ptr<Child>> runs;
	for (const auto& run : kRuns) {
		std::vector<std::string> argv = {kProgram};
		for (const std::string& argument : run.arguments)
			argv.push_back(
				argument[0] == '-' || argument[0] == '/' ? argument : dir.Join(argument));
		runs.emplace_back(new Child(argv, OnDisplay(kDisplays[run.display])));
	}
	// Every run ends within the bound on a silent server's answer and a start under load.
	auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
	for (size_t i = 0; i < std::size(kRuns); i++) {
		const auto& run = kRuns[i];
		auto left = end - std::chrono::steady_clock::now();  // a wait of less than none looks once
		EXPECT_EQ(
			runs[i]->Wait(std::chrono::duration_cast<std::chrono::milliseconds>(left)), run.status)
			<< "run " << i << ": " << runs[i]->Err();
		EXPECT_EQ(runs[i]->Out(), run.out) << "run " << i;
		std::vector<std::string> lines = Lines(runs[i]->Err());
		EXPECT_EQ(lines.size(), run.err == NULL ? 0u : 1u) << "run " << i << ": " << runs[i]->Err();
		if (run.err != NULL && !lines.empty()) {
			EXPECT_NE(lines[0].find(run.err), std::string::npos) << "run " << i << ": " << lines[0];
			// The display is named; kNone's, empty, is found anywhere.
			EXPECT_NE(lines[0].find(kDisplays[run.display]), std::string::npos) << lines[0];
		}
	}
	// Many starts, one after the other: GTK coming up on its thread while the fonts load on
	// the main one must never crash (a race on the environment did, in a few in a hundred).
	// As many as 20 s allow, up to 80: a sanitized build starts slower.
	end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
	for (int i = 0; i < 80 && std::chrono::steady_clock::now() < end; i++) {
		Child start({kProgram, "--refs", dir.Join("one/a.txt")}, OnDisplay(""));
		ASSERT_EQ(start.Wait(), 0) << "start " << i << ": " << start.Err();
	}
	// The first file's folder, for each run that names one.
	for (const auto& [folder, icons] :
		{std::pair{"one", true}, {"two", false}, {"three", true}, {"four", true}, {"five", true}}) {
		EXPECT_EQ(HasXattr(dir.Join(folder), kLargeIconAttr), icons) << folder;
		EXPECT_EQ(HasXattr(dir.Join(folder), kMiniIconAttr), icons) << folder;
	}
}

}  // namespace e2e
