// Vellumark's application, window and view, run as main runs them, on the headless host.

#include <gtest/gtest.h>

#include <Alert.h>
#include <View.h>
#include <Window.h>

#include "AppRunner.h"
#include "TestSupport.h"
#include "app/WindowRegistry.h"

using app_test::AppRunner;
using platform::host_window_id;
using testing_support::HasXattr;
using testing_support::kLargeIconAttr;
using testing_support::kMiniIconAttr;

namespace {

const BPoint kAbout(50, 20);
const BPoint kQuit(50, 50);

}  // namespace

// The about box, opened from the About button, says who made the program.
TEST(CMainApp, CloseBoxOrQuitButtonQuitsTheApplicationAndEveryThread)
{
	// 0: the close box; 1: the Quit button; 2: the close box over the about box.
	for (int action = 0; action < 3; action++) {
		int threadsBefore = testing_support::CountThreads();
		{
			AppRunner app;
			if (action == 2) {
				app.Host().InjectClick(app.MainWindow(), kAbout);
				host_window_id alert = app.Host().WaitForWindow("");
				ASSERT_TRUE(alert >= 0 && app.Host().WaitForIdle(alert));
				BAlert* about = dynamic_cast<BAlert*>(platform::WindowRegistry::At(1));
				ASSERT_NE(about, nullptr);
				EXPECT_STREQ(about->Text(), "Vellumark 1.5\n\ne-mail: vellumark@example.org");
				EXPECT_EQ(about->CountButtons(), 1);
				EXPECT_STREQ(about->ButtonLabel(0), "OK");
			}
			if (action == 1)
				app.Host().InjectClick(app.MainWindow(), kQuit);
			else
				app.Host().InjectClose(app.MainWindow());
			EXPECT_TRUE(app.Finished()) << "action " << action;
		}
		EXPECT_TRUE(testing_support::WaitUntil([&] {
			return testing_support::CountThreads() <= threadsBefore;
		})) << "action "
			<< action << ": a thread outlived the application";
	}
}

// Plain arguments are ignored, and the launch switch without an existing file quits nothing.
TEST(CMainApp, CommandLineFilesAndMissingLaunchFilesKeepItRunningAndChangeNothing)
{
	testing_support::TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	std::string file = dir.Make("one/a.txt");
	const std::vector<std::string> kRows[] = {
		{"vellumark", file}, {"vellumark", "--refs", "/nonexistent/file"}};
	for (size_t i = 0; i < std::size(kRows); i++) {
		AppRunner app(kRows[i]);
		ASSERT_GE(app.MainWindow(), 0) << "row " << i;
		EXPECT_FALSE(app.Finished(300)) << "row " << i << ": the application keeps running";
		EXPECT_FALSE(HasXattr(dir.Join("one"), kLargeIconAttr)) << "row " << i;
	}
}

// In one window, in turn: only what is dropped onto a box changes the folder's icons.
TEST(CMainView, OnlyDropsOnTheBoxesSetOrClearTheFoldersIcons)
{
	testing_support::TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	std::string folder = dir.Make("folder", true), file = dir.Make("folder/file.txt");
	AppRunner app;
	host_window_id id = app.MainWindow();
	BWindow* window = dynamic_cast<BWindow*>(platform::WindowRegistry::At(0));
	ASSERT_NE(window, nullptr);
	static const struct {
		BPoint where;
		bool dropped;  // else handed to the view as a message that was not dropped
		bool folder;
		bool icons;
	} kDrops[] = {
		{BPoint(95, 35), true, false, false},  // the background
		{kAbout, true, false, false}, {BPoint(140, 35), false, false, false},  // Set icon
		{BPoint(140, 35), true, false, true}, {BPoint(230, 35), true, true, false},  // Clear icon
	};
	for (size_t i = 0; i < std::size(kDrops); i++) {
		const auto& drop = kDrops[i];
		BMessage drag = platform::HeadlessHost::DragMessageFromPaths({drop.folder ? folder : file});
		if (drop.dropped) {
			app.Host().InjectDragMotion(id, drop.where, drag);
			app.Host().InjectDrop(id, drop.where, drag);
		} else {
			drag.AddInt32("FileDropID", 0);
			app.Host().RunOnWindowThread(id, [&] { window->ChildAt(0)->MessageReceived(&drag); });
		}
		ASSERT_TRUE(app.Host().WaitForIdle(id));
		EXPECT_EQ(HasXattr(folder, kLargeIconAttr), drop.icons) << "drop " << i;
		EXPECT_EQ(HasXattr(folder, kMiniIconAttr), drop.icons) << "drop " << i;
	}
}
