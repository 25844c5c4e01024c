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

using BPrivate::LaunchArguments;
using BPrivate::WindowRegistry;
using looper_test::Watchdog;

namespace {

const char* kSignature = "application/x-vnd.Vellumark-test";

// Records the hooks in the order they ran, with their thread.
class TestApp : public BApplication {
public:
	TestApp() : BApplication(kSignature) {}

	void ReadyToRun() override
	{
		Note("ready");
		if (fOnReady)
			fOnReady();
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
	void AboutRequested() override
	{
		Note("about");
		PostMessage(B_QUIT_REQUESTED);
	}
	void MessageReceived(BMessage* message) override
	{
		Note("message");
		if (message->what == 'quit')
			PostMessage(B_QUIT_REQUESTED);
	}

	std::vector<std::string> fHooks;
	std::vector<thread_id> fThreads;
	std::function<void()> fOnReady;

private:
	void Note(const std::string& hook)
	{
		fHooks.push_back(hook);
		fThreads.push_back(find_thread(NULL));
	}
};

// What happened to a FakeWindow, kept beyond its deletion.
struct WindowLog {
	std::atomic<bool> deleted{false};
	std::atomic<int> asked{0};
	std::atomic<bool> askedLocked{false};
	std::atomic<thread_id> askedOn{-1};
	std::atomic<bool> agree{true};
};

// Stands in for a window: a running looper the application knows as one.
class FakeWindow : public BLooper {
public:
	explicit FakeWindow(WindowLog* log)
		:
		BLooper("window"),
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
		fLog->askedOn = find_thread(NULL);
		fLog->asked++;
		return fLog->agree;
	}

private:
	WindowLog* fLog;
};

// Every test starts from the process's own (empty) command line.
class BApplicationTest : public ::testing::Test {
protected:
	void SetUp() override { LaunchArguments::Set({"apptest"}); }
	void TearDown() override { LaunchArguments::Reset(); }
	Watchdog fWatchdog;
};

}  // namespace

TEST_F(BApplicationTest, IsBeAppFromConstructionToDestruction)
{
	TestApp* app = new TestApp;
	EXPECT_EQ(be_app, app);
	EXPECT_EQ(app->InitCheck(), B_OK);
	EXPECT_STREQ(app->Signature(), kSignature);
	delete app;
	EXPECT_EQ(be_app, (BApplication*)NULL);
}

TEST_F(BApplicationTest, ASignatureOutsideTheApplicationTypeIsRefused)
{
	for (const char* bad : {"text/plain", "application/", "application/x y", "x-Vellumark"}) {
		status_t error = B_OK;
		BApplication app(bad, &error);
		EXPECT_EQ(error, B_BAD_VALUE) << bad;
		EXPECT_EQ(app.InitCheck(), B_BAD_VALUE) << bad;
	}
}

TEST_F(BApplicationTest, ABadSignatureWithoutAnErrorToSetEndsTheProgramWithOneLine)
{
	GTEST_FLAG_SET(death_test_style, "threadsafe");
	EXPECT_EXIT({ BApplication app("text/plain"); }, ::testing::ExitedWithCode(1),
		"^[^\n]*bad application signature \"text/plain\"[^\n]*\n$");
}

TEST_F(BApplicationTest, RunLoopsOnTheCallingThreadUntilTheApplicationQuits)
{
	TestApp* app = new TestApp;
	app->fOnReady = [app] { app->PostMessage('quit'); };
	thread_id thread = app->Run();

	EXPECT_EQ(thread, find_thread(NULL));
	EXPECT_EQ(app->fHooks, (std::vector<std::string>{"ready", "message"}));
	EXPECT_EQ(app->fThreads, std::vector<thread_id>(2, find_thread(NULL)));
	delete app;
}

TEST_F(BApplicationTest, AboutRequestedRunsOnTheApplicationThread)
{
	TestApp* app = new TestApp;
	std::thread([app] { app->PostMessage(B_ABOUT_REQUESTED); }).join();
	app->Run();
	EXPECT_EQ(app->fHooks, (std::vector<std::string>{"ready", "about"}));
	EXPECT_EQ(app->fThreads.back(), find_thread(NULL));
	delete app;
}

TEST_F(BApplicationTest, QuitFromAnotherThreadEndsRun)
{
	TestApp* app = new TestApp;
	std::thread quitter;
	app->fOnReady = [&] {
		quitter = std::thread([app] {
			ASSERT_TRUE(app->Lock());
			app->Quit();
			app->Unlock();
		});
	};
	app->Run();
	quitter.join();
	EXPECT_EQ(app->fHooks, std::vector<std::string>{"ready"});
	delete app;
}

TEST_F(BApplicationTest, LaunchMessagesComeFirstThenReadyToRun)
{
	LaunchArguments::Set({"apptest", "one"});
	TestApp* app = new TestApp;
	app->PostMessage('erly');
	app->PostMessage('quit');
	app->Run();
	EXPECT_EQ(app->fHooks,
		(std::vector<std::string>{"argv apptest one", "ready", "message", "message"}));
	delete app;
}

TEST_F(BApplicationTest, PlainArgumentsArriveAsArgvWithTheProgramFirst)
{
	LaunchArguments::Set({"/usr/bin/apptest", "some file", "-x"});
	TestApp* app = new TestApp;
	app->fOnReady = [app] { app->PostMessage(B_QUIT_REQUESTED); };
	app->Run();
	EXPECT_EQ(app->fHooks,
		(std::vector<std::string>{"argv /usr/bin/apptest some file -x", "ready"}));
	delete app;
}

TEST_F(BApplicationTest, NoArgumentsMeanNoLaunchMessage)
{
	TestApp* app = new TestApp;
	app->fOnReady = [app] { app->PostMessage(B_QUIT_REQUESTED); };
	app->Run();
	EXPECT_EQ(app->fHooks, std::vector<std::string>{"ready"});
	delete app;
}

TEST_F(BApplicationTest, TheRefsSwitchHandsTheFilesThatExistOverAsOneRefsMessage)
{
	testing_support::TempDir dir;
	std::string first = dir.Make("first");
	std::string second = dir.Make("second");
	LaunchArguments::Set({"apptest", "--refs", first, dir.Join("missing"), second});
	TestApp* app = new TestApp;
	app->fOnReady = [app] { app->PostMessage(B_QUIT_REQUESTED); };
	app->Run();
	EXPECT_EQ(app->fHooks, (std::vector<std::string>{"refs first second", "ready"}));
	delete app;
}

TEST_F(BApplicationTest, TheRefsSwitchWithoutAnExistingFileSendsNothing)
{
	testing_support::TempDir dir;
	LaunchArguments::Set({"apptest", "--refs", dir.Join("missing")});
	TestApp* app = new TestApp;
	app->fOnReady = [app] { app->PostMessage(B_QUIT_REQUESTED); };
	app->Run();
	EXPECT_EQ(app->fHooks, std::vector<std::string>{"ready"});
	delete app;
}

TEST_F(BApplicationTest, QuitRequestedAsksEveryWindowWithItLockedAndQuitsThem)
{
	TestApp* app = new TestApp;
	WindowLog logs[2];
	for (WindowLog& log : logs)
		(new FakeWindow(&log))->Run();
	EXPECT_EQ(app->CountWindows(), 2);
	app->fOnReady = [app] { app->PostMessage(B_QUIT_REQUESTED); };
	app->Run();

	for (WindowLog& log : logs) {
		EXPECT_EQ(log.asked, 1);
		EXPECT_TRUE(log.askedLocked);
		EXPECT_EQ(log.askedOn, find_thread(NULL));
		EXPECT_TRUE(log.deleted);
	}
	EXPECT_EQ(app->CountWindows(), 0);
	delete app;
}

TEST_F(BApplicationTest, AWindowThatRefusesKeepsTheApplicationRunning)
{
	TestApp* app = new TestApp;
	WindowLog refusing;
	refusing.agree = false;
	(new FakeWindow(&refusing))->Run();
	app->fOnReady = [app] {
		app->PostMessage(B_QUIT_REQUESTED);
		app->PostMessage('stil');
	};
	std::thread agree([&] {
		EXPECT_TRUE(testing_support::WaitUntil([&] { return refusing.asked == 1; }));
		refusing.agree = true;
		app->PostMessage(B_QUIT_REQUESTED);
	});
	app->Run();
	agree.join();

	EXPECT_EQ(app->fHooks, (std::vector<std::string>{"ready", "message"}));
	EXPECT_EQ(refusing.asked, 2);
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
	std::atomic<bool> strayDeleted(false);
	looper_test::Record record;
	(new looper_test::RecordingLooper(&record, &strayDeleted))->Run();
	app->fOnReady = [app] { app->Quit(); };
	app->Run();
	EXPECT_GT(testing_support::CountThreads(), baseline);

	// The window never agreed to quit, and the stray looper was never told to.
	delete app;
	EXPECT_TRUE(window.deleted);
	EXPECT_TRUE(strayDeleted);
	EXPECT_TRUE(testing_support::WaitUntil(
		[&] { return testing_support::CountThreads() == baseline; },
		std::chrono::milliseconds(1000)));
}
