// Vellumark's application, window and view, run as main runs them, on the headless host.

#include <Alert.h>
#include <View.h>
#include <Window.h>

#include "AppRunner.h"
#include "TestSupport.h"

using app_test::AppRunner;
using namespace testing_support;

namespace {

const BPoint kAbout(50, 20), kQuit(50, 50);

}  // namespace

// The application runs until asked to quit, also when launched to handle a file that does
// not exist. The about box, opened from the About button, says who made the program.
TEST(CMainApp, CloseBoxOrQuitButtonQuitsTheApplicationAndEveryThread)
{
	// 0: the close box; 1: the Quit button; 2: the close box over the about box.
	for (int action = 0; action < 3; action++) {
		int threadsBefore = CountThreads();
		{
			AppRunner app(action == 0 ? std::vector<std::string>{"vellumark", "--refs", "/no/file"}
									  : std::vector<std::string>{"vellumark"});
			ASSERT_TRUE(app.MainWindow().IsOpen());
			EXPECT_FALSE(app.Finished(300)) << "action " << action << ": it quit by itself";
			if (action == 2) {
				app.MainWindow().Click(kAbout);
				TestWindow alert("");
				ASSERT_TRUE(alert.IsOpen());
				BAlert* about = dynamic_cast<BAlert*>(alert.Window());
				ASSERT_NE(about, nullptr);
				EXPECT_STREQ(about->Text(), "Vellumark 1.5\n\ne-mail: vellumark@example.org");
				EXPECT_EQ(about->CountButtons(), 1);
				EXPECT_STREQ(about->ButtonLabel(0), "OK");
			}
			if (action == 1)
				app.MainWindow().Click(kQuit);
			else
				app.MainWindow().Close();
			EXPECT_TRUE(app.Finished()) << "action " << action;
		}
		EXPECT_TRUE(WaitUntil([&] { return CountThreads() <= threadsBefore; }))
			<< "action " << action << ": a thread outlived the application";
	}
}

// In one window, in turn: only what is dropped onto a box changes the folder's icons; the
// file named on the command line without the launch switch changes nothing.
TEST(CMainView, OnlyDropsOnTheBoxesSetOrClearTheFoldersIcons)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	std::string folder = dir.Make("folder", true), file = dir.Make("folder/file.txt");
	AppRunner app({"vellumark", file});
	TestWindow& window = app.MainWindow();
	ASSERT_TRUE(window.IsOpen());
	static const struct {
		const char* what;
		BPoint where;
		bool dropped;  // else handed to the view as a message that was not dropped
		bool folder;
		bool icons;
	} kDrops[] = {
		{"the background", BPoint(95, 35), true, false, false},
		{"Set icon, not dropped", BPoint(140, 35), false, false, false},
		{"Set icon", BPoint(140, 35), true, false, true},
		{"Clear icon", BPoint(230, 35), true, true, false},
	};
	for (const auto& drop : kDrops) {
		BMessage drag = DragFromPaths({drop.folder ? folder : file});
		if (drop.dropped) {
			window.DragMotion(drop.where, drag);
			window.Drop(drop.where, drag);
		} else {
			drag.AddInt32("FileDropID", 0);
			window.RunOnThread([&] { window.Window()->ChildAt(0)->MessageReceived(&drag); });
		}
		ASSERT_TRUE(window.WaitForIdle());
		EXPECT_EQ(HasXattr(folder, kLargeIconAttr), drop.icons) << drop.what;
		EXPECT_EQ(HasXattr(folder, kMiniIconAttr), drop.icons) << drop.what;
	}
}
