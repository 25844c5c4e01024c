// vellumark --refs where no display opens: the program runs on the headless host, handles the
// first file as a drop on Set icon, prints what it prints on a display and exits.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "Session.h"
#include "TestSupport.h"

namespace e2e {

using testing_support::HasXattr;

namespace {

// An X display on 127.0.0.1 whose port this process holds without listening, so that it
// refuses every connection and nobody else answers there.
class RefusingDisplay {
public:
	RefusingDisplay()
	{
		sockaddr_in address = {};
		address.sin_family = AF_INET;
		address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
		for (int number = 200; number < 400 && name.empty(); number++) {
			address.sin_port = htons(6000 + number);
			if (bind(fSocket, (sockaddr*)&address, sizeof(address)) == 0)
				name = "127.0.0.1:" + std::to_string(number);
		}
	}
	~RefusingDisplay() { close(fSocket); }

	std::string name;

private:
	int fSocket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
};

}  // namespace

// All runs at once, so that instances side by side show that they never meet.
TEST(RefsWithoutDisplay, EachRunHandlesItsFirstFileOrEndsWithOneLineAndAFailureStatus)
{
	testing_support::TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	if (access(kProgram, X_OK) != 0)
		GTEST_SKIP() << "the program is not built: " << kProgram;
	for (const char* file : {"one/a.txt", "two/b.txt", "four/c.txt"})
		dir.Make(file);
	dir.Make("three/sub", true);
	static const struct {
		std::vector<std::string> arguments;  // files relative to the folder, unless absolute
		bool display;  // a display that refuses the connection; else none
		int status;
		const char* out;
		const char* iconFolder;  // the folder that gets icons; NULL: none
		const char* err;  // in the first line on standard error; NULL: no line
	} kRuns[] = {
		{{"--refs", "one/a.txt", "two/b.txt"}, false, 0, "", "one", NULL},
		{{"--refs", "three/sub"}, false, 0, "", "three", NULL},
		{{"--refs", "/proc/self/status"}, false, 0,
			"Set large icon failed.\nSet mini icon failed.\n", NULL, NULL},
		{{"--refs"}, false, 1, "", NULL, "--refs names no existing file"},
		{{"--refs", "missing.txt"}, false, 1, "", NULL, "--refs names no existing file"},
		{{"--refs", "four/c.txt"}, true, 0, "", "four", "cannot open the display"},
		{{}, true, 1, "", NULL, "cannot open the display"},
	};
	RefusingDisplay refusing;
	ASSERT_FALSE(refusing.name.empty());
	std::vector<std::unique_ptr<Child>> runs;
	for (const auto& run : kRuns) {
		std::vector<std::string> argv = {kProgram};
		for (const std::string& argument : run.arguments)
			argv.push_back(
				argument[0] == '-' || argument[0] == '/' ? argument : dir.Join(argument));
		std::string display = run.display ? refusing.name : "";
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
			EXPECT_EQ(lines[0].find(refusing.name) != std::string::npos, run.display) << i;
		}
	}
	for (const char* folder : {"one", "two", "three", "four"}) {
		bool expected = false;
		for (const auto& run : kRuns)
			expected |= run.iconFolder != NULL && std::string(run.iconFolder) == folder;
		EXPECT_EQ(HasXattr(dir.Join(folder), testing_support::kLargeIconAttr), expected) << folder;
		EXPECT_EQ(HasXattr(dir.Join(folder), testing_support::kMiniIconAttr), expected) << folder;
	}
}

}  // namespace e2e
