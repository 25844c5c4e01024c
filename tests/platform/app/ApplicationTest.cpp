#include "LooperTestSupport.h"

#include <Application.h>
#include <Entry.h>
#include <Message.h>
#include <OS.h>

#include <TestSupport.h>

#include "app/LaunchArguments.h"
#include "app/WindowRegistry.h"

#include <string>
#include <thread>

using platform::LaunchArguments;
using platform::WindowRegistry;

namespace {

const char* kSignature = "application/x-vnd.Vellumark-test";

// Notes the hooks in the order they ran, and on which thread; asks to quit when ready.
class TestApp : public BApplication {
public:
	TestApp() :
		BApplication(kSignature)
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

// Stands in for a window: a running looper the application knows as one.
class FakeWindow : public BLooper {
public:
	explicit FakeWindow(WindowLog* log) :
		fLog(log)
	{
		WindowRegistry::Add(this);
	}
	~FakeWindow() override
	{
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
};

// Every test starts from a command line without arguments.
class BApplicationTest : public ::testing::Test {
protected:
	void SetUp() override { LaunchArguments::Set({"apptest"}); }
	void TearDown() override { LaunchArguments::Reset(); }

	looper_test::Watchdog fWatchdog;
};

}  // namespace

TEST_F(BApplicationTest, ABadSignatureWithNoErrorToSetEndsTheProgramWithOneLine)
{
	GTEST_FLAG_SET(death_test_style, "threadsafe");
	EXPECT_EXIT({ BApplication app("text/plain"); }, ::testing::ExitedWithCode(1),
		"^[^\n]*bad application signature \"text/plain\"[^\n]*\n$");
}

TEST_F(BApplicationTest, RunLoopsOnTheCallingThreadUntilTheApplicationQuits)
{
	TestApp* app = new TestApp;
	std::thread([app] { app->PostMessage(B_ABOUT_REQUESTED); }).join();
	thread_id thread = app->Run();

	EXPECT_EQ(thread, find_thread(NULL));
	EXPECT_EQ(app->fHooks, (std::vector<std::string>{"ready", "about"}));
	EXPECT_EQ(app->fThreads, std::vector<thread_id>(2, thread));
	delete app;
}

// Plain arguments arrive as argv first of all; the refs switch hands the files that exist
// over as one refs message.
TEST_F(BApplicationTest, TheCommandLineArrivesBeforeEverythingElse)
{
	testing_support::TempDir dir;
	const struct {
		std::vector<std::string> commandLine;
		std::vector<std::string> hooks;  // with a message posted before Run
	} kRows[] = {
		{{"/usr/bin/apptest", "some file", "-x"},
			{"argv /usr/bin/apptest some file -x", "ready", "message"}},
		{{"apptest", "--refs", dir.Make("first"), dir.Join("missing"), dir.Make("second")},
			{"refs first second", "ready", "message"}},
	};
	for (size_t i = 0; i < sizeof(kRows) / sizeof(kRows[0]); i++) {
		LaunchArguments::Set(kRows[i].commandLine);
		TestApp* app = new TestApp;
		app->PostMessage('erly');
		app->Run();
		EXPECT_EQ(app->fHooks, kRows[i].hooks) << "row " << i;
		delete app;
	}
}

TEST_F(BApplicationTest, BQuitRequestedAsksEveryWindowWithItLockedAndQuitsThem)
{
	TestApp* app = new TestApp;
	WindowLog logs[2];
	for (WindowLog& log : logs)
		(new FakeWindow(&log))->Run();
	app->Run();

	for (WindowLog& log : logs) {
		EXPECT_EQ(log.asked, 1);
		EXPECT_TRUE(log.askedLocked);
		EXPECT_TRUE(log.deleted);
	}
	EXPECT_EQ(platform::WindowRegistry::Count(), 0);
	delete app;
}

TEST_F(BApplicationTest, AWindowThatRefusesToQuitKeepsTheApplicationRunning)
{
	TestApp* app = new TestApp;
	WindowLog refusing;
	refusing.agree = false;
	(new FakeWindow(&refusing))->Run();
	app->PostMessage('stil');
	std::thread agree([&] {
		EXPECT_TRUE(testing_support::WaitUntil([&] { return refusing.asked == 1; }));
		refusing.agree = true;
		app->PostMessage(B_QUIT_REQUESTED);
	});
	app->Run();
	agree.join();

	EXPECT_EQ(app->fHooks, (std::vector<std::string>{"ready", "message"}));
	EXPECT_TRUE(refusing.deleted);
	delete app;
}

TEST_F(BApplicationTest, NoThreadOutlivesTheApplication)
{
	int baseline = testing_support::CountThreads();
	TestApp* app = new TestApp;
	WindowLog window;
	window.agree = false;
	(new FakeWindow(&window))->Run();
	looper_test::Record record;
	std::atomic<bool> strayDeleted(false);
	(new looper_test::RecordingLooper(&record, &strayDeleted))->Run();
	app->fForceQuit = true;
	app->Run();

	// The window never agreed to quit, and the stray looper was never told to.
	delete app;
	EXPECT_TRUE(window.deleted);
	EXPECT_TRUE(strayDeleted);
	EXPECT_TRUE(
		testing_support::WaitUntil([&] { return testing_support::CountThreads() == baseline; },
			std::chrono::milliseconds(1000)));
}
