#include <Application.h>
#include <Entry.h>
#include <Looper.h>
#include <Message.h>
#include <OS.h>

#include <TestSupport.h>

#include "app/LaunchArguments.h"
#include "app/WindowRegistry.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using platform::LaunchArguments;
using platform::WindowRegistry;
using testing_support::WaitUntil;

namespace {

// Notes the hooks in the order they ran, and on which thread; asks to quit when ready.
class TestApp : public BApplication {
public:
	TestApp() :
		BApplication("application/x-vnd.Vellumark-test")
	{
	}
	void ReadyToRun() override
	{
		Note("ready");
		if (fForceQuit)
			Quit();
		else
			PostMessage(B_QUIT_REQUESTED);
	}
	void ArgvReceived(int32 argc, char** argv) override
	{
		std::string text = "argv";
		for (int32 i = 0; i < argc; i++)
			text += std::string(" ") + argv[i];
		Note(text);
	}
	void RefsReceived(BMessage* message) override
	{
		std::string text = "refs";
		entry_ref ref;
		for (int32 i = 0; message->FindRef("refs", i, &ref) == B_OK; i++)
			text += std::string(" ") + ref.name;
		Note(text);
	}
	void AboutRequested() override { Note("about"); }
	void MessageReceived(BMessage*) override { Note("message"); }

	std::vector<std::string> fHooks;
	std::vector<thread_id> fThreads;
	bool fForceQuit = false;  // rather than asking the windows

private:
	void Note(const std::string& hook)
	{
		fHooks.push_back(hook);
		fThreads.push_back(find_thread(NULL));
	}
};

// What happened to a FakeWindow, kept beyond its deletion.
struct WindowLog {
	std::atomic<bool> agree{true};
	std::atomic<int> asked{0};
	std::atomic<bool> askedLocked{false};
	std::atomic<bool> deleted{false};
};

// Stands in for a window: a running looper the application knows as one (or a stray looper
// it does not know).
class FakeWindow : public BLooper {
public:
	FakeWindow(WindowLog* log, bool listed = true) :
		fLog(log),
		fListed(listed)
	{
		if (fListed)
			WindowRegistry::Add(this);
	}
	~FakeWindow() override
	{
		if (fListed)
			WindowRegistry::Remove(this);
		fLog->deleted = true;
	}
	bool QuitRequested() override
	{
		fLog->askedLocked = IsLocked();
		fLog->asked++;
		return fLog->agree;
	}

private:
	WindowLog* fLog;
	bool fListed;
};

// Every test starts from a command line without arguments.
class BApplicationTest : public ::testing::Test {
protected:
	void SetUp() override { LaunchArguments::Set({"apptest"}); }
	void TearDown() override { LaunchArguments::Reset(); }

	testing_support::Watchdog fWatchdog;
};

}  // namespace

TEST_F(BApplicationTest, ABadSignatureWithNoErrorToSetEndsTheProgramWithOneLine)
{
	GTEST_FLAG_SET(death_test_style, "threadsafe");
	EXPECT_EXIT({ BApplication app("text/plain"); }, ::testing::ExitedWithCode(1),
		"^[^\n]*bad application signature \"text/plain\"[^\n]*\n$");
}

// Run loops on the calling thread. Plain arguments arrive as argv first of all; the refs
// switch hands the files that exist over as one refs message.
TEST_F(BApplicationTest, TheCommandLineArrivesBeforeEverythingElseOnTheCallingThread)
{
	testing_support::TempDir dir;
	const struct {
		std::vector<std::string> commandLine;
		uint32 posted;  // from another thread, before Run
		std::vector<std::string> hooks;
	} kRows[] = {
		{{"apptest"}, B_ABOUT_REQUESTED, {"ready", "about"}},
		{{"/usr/bin/apptest", "some file", "-x"}, 'erly',
			{"argv /usr/bin/apptest some file -x", "ready", "message"}},
		{{"apptest", "--refs", dir.Make("first"), dir.Join("missing"), dir.Make("second")}, 'erly',
			{"refs first second", "ready", "message"}},
	};
	for (size_t i = 0; i < sizeof(kRows) / sizeof(kRows[0]); i++) {
		LaunchArguments::Set(kRows[i].commandLine);
		TestApp* app = new TestApp;
		std::thread([&] { app->PostMessage(kRows[i].posted); }).join();
		EXPECT_EQ(app->Run(), find_thread(NULL)) << "row " << i;
		EXPECT_EQ(app->fHooks, kRows[i].hooks) << "row " << i;
		EXPECT_EQ(app->fThreads, std::vector<thread_id>(app->fHooks.size(), find_thread(NULL)))
			<< "row " << i;
		delete app;
	}
}

// B_QUIT_REQUESTED asks every window, locked; one refusal keeps the application running.
TEST_F(BApplicationTest, QuitRequestAsksEveryWindowLockedAndQuitsOnlyWhenAllAgree)
{
	TestApp* app = new TestApp;
	WindowLog logs[2];
	logs[1].agree = false;
	for (WindowLog& log : logs)
		(new FakeWindow(&log))->Run();
	app->PostMessage('stil');
	std::thread agree([&] {
		EXPECT_TRUE(WaitUntil([&] { return logs[1].asked == 1; }));
		logs[1].agree = true;
		app->PostMessage(B_QUIT_REQUESTED);
	});
	app->Run();
	agree.join();

	EXPECT_EQ(app->fHooks, (std::vector<std::string>{"ready", "message"}));
	for (WindowLog& log : logs) {
		EXPECT_GE(log.asked, 1);
		EXPECT_TRUE(log.askedLocked);
		EXPECT_TRUE(log.deleted);
	}
	EXPECT_EQ(WindowRegistry::Count(), 0);
	delete app;
}

TEST_F(BApplicationTest, NoThreadOutlivesTheApplication)
{
	int baseline = testing_support::CountThreads();
	TestApp* app = new TestApp;
	WindowLog window, stray;
	window.agree = false;
	(new FakeWindow(&window))->Run();
	(new FakeWindow(&stray, false))->Run();
	app->fForceQuit = true;
	app->Run();

	// The window never agreed to quit, and the stray looper was never told to.
	delete app;
	EXPECT_TRUE(window.deleted);
	EXPECT_TRUE(stray.deleted);
	EXPECT_TRUE(WaitUntil([&] { return testing_support::CountThreads() == baseline; },
		std::chrono::milliseconds(1000)));
}
