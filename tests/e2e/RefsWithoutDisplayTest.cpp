// vellumark --refs where no display opens: the program runs on the headless host, handles the
// first file as a drop on Set icon, prints what it prints on a display and exits.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "ChildProcess.h"
#include "TestSupport.h"

namespace e2e {

using std::chrono::milliseconds;
using testing_support::HasXattr;
using testing_support::TempDir;

namespace {

const char* const kLarge = testing_support::kLargeIconAttr;
const char* const kMini = testing_support::kMiniIconAttr;

std::string Program()
{
	return std::string(VELLUMARK_BINARY_DIR) + "/vellumark";
}

struct Outcome {
	int status = -1;
	std::string out;
	std::string err;
};

// Runs the program to its end with the display settings given (none by default).
Outcome RunProgram(const std::vector<std::string>& arguments,
	const std::vector<std::string>& display = {"DISPLAY="})
{
	std::vector<std::string> argv = {Program()};
	argv.insert(argv.end(), arguments.begin(), arguments.end());
	std::vector<std::string> env = {"WAYLAND_DISPLAY=", "GDK_BACKEND=x11"};
	env.insert(env.end(), display.begin(), display.end());
	ChildProcess child;
	Outcome outcome;
	if (!child.Start(argv, env))
		return outcome;
	if (!child.WaitForExit(milliseconds(10000), &outcome.status))
		outcome.status = -2;
	outcome.out = child.Stdout();
	outcome.err = child.Stderr();
	return outcome;
}

// An X display number on 127.0.0.1 whose port this process holds, so that nobody else
// answers there: bound but not listening refuses every connection; listening, each
// connection is accepted and closed at once.
class FakeDisplay {
public:
	explicit FakeDisplay(bool accepts)
	{
		for (fNumber = 200; fNumber < 400; fNumber++) {
			fSocket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
			sockaddr_in address = {};
			address.sin_family = AF_INET;
			address.sin_port = htons(6000 + fNumber);
			address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
			if (bind(fSocket, (sockaddr*)&address, sizeof(address)) == 0)
				break;
			close(fSocket);
			fSocket = -1;
		}
		if (fSocket >= 0 && accepts && listen(fSocket, 8) == 0) {
			fAccepter = std::thread([this] {
				int connection;
				while ((connection = accept(fSocket, NULL, NULL)) >= 0)
					close(connection);
			});
		}
	}

	~FakeDisplay()
	{
		if (fSocket >= 0)
			shutdown(fSocket, SHUT_RDWR);
		if (fAccepter.joinable())
			fAccepter.join();
		if (fSocket >= 0)
			close(fSocket);
	}

	bool Ready() const { return fSocket >= 0; }
	std::string Name() const { return "127.0.0.1:" + std::to_string(fNumber); }

private:
	int fNumber = 0;
	int fSocket = -1;
	std::thread fAccepter;
};

}  // namespace

TEST(RefsWithoutDisplay, HandlesTheFirstFileOrEndsWithOneLineAndAFailureStatus)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	dir.Make("one/a.txt");
	dir.Make("two/b.txt");
	dir.Make("three/sub", true);
	const struct {
		std::vector<std::string> files;  // relative to the folder, unless absolute
		int status;
		const char* out;
		const char* iconFolder;  // which folder gets icons; NULL: none
		const char* err;  // in the one line on standard error; NULL: no line
	} cases[] = {
		{{"one/a.txt", "two/b.txt"}, 0, "", "one", NULL},
		{{"three/sub"}, 0, "", "three", NULL},
		{{"/proc/self/status"}, 0, "Set large icon failed.\nSet mini icon failed.\n", NULL, NULL},
		{{}, 1, "", NULL, "--refs names no existing file"},
		{{"missing.txt"}, 1, "", NULL, "--refs names no existing file"},
	};
	for (size_t i = 0; i < std::size(cases); i++) {
		const auto& test = cases[i];
		std::vector<std::string> arguments = {"--refs"};
		for (const std::string& file : test.files)
			arguments.push_back(file[0] == '/' ? file : dir.Join(file));
		Outcome outcome = RunProgram(arguments);
		EXPECT_EQ(outcome.status, test.status) << "row " << i << ": " << outcome.err;
		EXPECT_EQ(outcome.out, test.out) << "row " << i;
		std::vector<std::string> lines = Lines(outcome.err);
		if (test.err == NULL) {
			EXPECT_TRUE(lines.empty()) << "row " << i << ": " << outcome.err;
		} else {
			ASSERT_EQ(lines.size(), 1u) << "row " << i << ": " << outcome.err;
			EXPECT_NE(lines[0].find(test.err), std::string::npos)
				<< "row " << i << ": " << lines[0];
		}
		for (const char* folder : {"one", "two", "three"}) {
			bool expected = test.iconFolder != NULL && std::string(test.iconFolder) == folder;
			EXPECT_EQ(HasXattr(dir.Join(folder), kLarge), expected) << "row " << i << folder;
			EXPECT_EQ(HasXattr(dir.Join(folder), kMini), expected) << "row " << i << folder;
		}
		if (test.iconFolder != NULL) {
			removexattr(dir.Join(test.iconFolder).c_str(), kLarge);
			removexattr(dir.Join(test.iconFolder).c_str(), kMini);
		}
	}
}

TEST(RefsWithoutDisplay, DisplayThatRefusesTheConnectionIsToldAndTheFileHandled)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	std::string file = dir.Make("one/a.txt");
	for (bool accepts : {false, true}) {
		FakeDisplay display(accepts);
		ASSERT_TRUE(display.Ready());
		Outcome outcome = RunProgram({"--refs", file}, {"DISPLAY=" + display.Name()});
		EXPECT_EQ(outcome.status, 0) << "accepts " << accepts << ": " << outcome.err;
		EXPECT_EQ(outcome.out, "");
		EXPECT_NE(outcome.err.find("cannot open the display"), std::string::npos) << outcome.err;
		EXPECT_NE(outcome.err.find(display.Name()), std::string::npos) << outcome.err;
		EXPECT_TRUE(HasXattr(dir.Join("one"), kLarge)) << "accepts " << accepts;
		removexattr(dir.Join("one").c_str(), kLarge);
	}
}

TEST(RefsWithoutDisplay, TwoInstancesAtOnceBothHandleTheirFiles)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	std::string files[] = {dir.Make("one/a.txt"), dir.Make("two/b.txt")};
	ChildProcess children[2];
	for (int i = 0; i < 2; i++) {
		ASSERT_TRUE(children[i].Start(
			{Program(), "--refs", files[i]}, {"DISPLAY=", "WAYLAND_DISPLAY=", "GDK_BACKEND=x11"}));
	}
	for (int i = 0; i < 2; i++) {
		int status = -1;
		ASSERT_TRUE(children[i].WaitForExit(milliseconds(10000), &status)) << i;
		EXPECT_EQ(status, 0) << i << ": " << children[i].Stderr();
	}
	EXPECT_TRUE(HasXattr(dir.Join("one"), kLarge));
	EXPECT_TRUE(HasXattr(dir.Join("two"), kLarge));
}

}  // namespace e2e
