#include <Application.h>
#include <Entry.h>
#include <Message.h>
#include <OS.h>

#include <TestSupport.h>

#include "app/LaunchArguments.h"

#include <string>
#include <thread>
#include <vector>

using platform::LaunchArguments;

namespace {

// Notes the hooks in the order they ran, and whether each ran on the thread that made it;
// asks to quit when ready.
class TestApp : public BApplication {
public:
	TestApp() :
		BApplication("application/x-vnd.Vellumark-test")
	{
	}
	void ReadyToRun() override
	{
		Note("ready");
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
	void Note(const std::string& hook)
	{
		hooks.push_back(hook);
		onCreator &= find_thread(NULL) == creator;
	}

	std::vector<std::string> hooks;
	thread_id creator = find_thread(NULL);
	bool onCreator = true;
};

}  // namespace

TEST(BApplication, ABadSignatureWithNoErrorToSetEndsTheProgramWithOneLine)
{
	GTEST_FLAG_SET(death_test_style, "threadsafe");
	EXPECT_EXIT({ BApplication app("text/plain"); }, ::testing::ExitedWithCode(1),
		"^[^\n]*bad application signature \"text/plain\"[^\n]*\n$");
}

// Run loops on the calling thread. Plain arguments arrive as argv first of all; the refs
// switch hands the files that exist over as one refs message.
TEST(BApplication, TheCommandLineArrivesBeforeEverythingElseOnTheCallingThread)
{
	testing_support::Watchdog watchdog;
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
		EXPECT_EQ(app->hooks, kRows[i].hooks) << "row " << i;
		EXPECT_TRUE(app->onCreator) << "row " << i;
		delete app;
	}
	LaunchArguments::Reset();
}
