#include <gtest/gtest.h>

#include <Alert.h>
#include <Application.h>
#include <Entry.h>
#include <Message.h>

#include "AppRunner.h"
#include "TestSupport.h"
#include "app/WindowRegistry.h"

using app_test::AppRunner;
using testing_support::HasXattr;
using testing_support::TempDir;

namespace {

const uint32 kViewGrey = 0xFFD8D8D8;
const BPoint kAbout(50, 20);
const BPoint kQuit(50, 50);

BAlert* FindAlert()
{
	BAlert* found = NULL;
	for (BLooper* window : platform::WindowRegistry::List())
		if (BAlert* alert = dynamic_cast<BAlert*>(window))
			found = alert;
	return found;
}

}  // namespace

TEST(CMainApp, WindowShowsAtItsFrameTitledAndNotResizable)
{
	AppRunner app;
	platform::HeadlessWindowInfo info;
	ASSERT_TRUE(app.Host().GetWindowInfo(app.MainWindow(), &info));
	EXPECT_EQ(info.frame, BRect(100, 100, 380, 170));
	EXPECT_EQ(info.title, "Vellumark");
	EXPECT_EQ(info.look, 1u);
	EXPECT_EQ(info.feel, 0u);
	EXPECT_EQ(info.flags, 2u);
	EXPECT_TRUE(info.shown);
	EXPECT_EQ(info.width, 281);
	EXPECT_EQ(info.height, 71);
}

TEST(CMainApp, WindowShowsTheViewColourAroundTheControls)
{
	AppRunner app;
	platform::host_window_id id = app.MainWindow();
	ASSERT_TRUE(app.Host().WaitForIdle(id));
	for (BPoint p : {BPoint(5, 5), BPoint(95, 35), BPoint(275, 65), BPoint(280, 70)})
		EXPECT_EQ(app.Host().PixelAt(id, p.x, p.y), kViewGrey) << p.x << ", " << p.y;
	EXPECT_EQ(app.Host().PixelAt(id, 12, 12), 0xFFE8E8E8u) << "a flat button's face";
}

TEST(CMainApp, AboutShowsTheAlertAndEnterDismissesIt)
{
	AppRunner app;
	app.Host().InjectClick(app.MainWindow(), kAbout);
	platform::host_window_id alert = app.Host().WaitForWindow("");
	ASSERT_GE(alert, 0);
	ASSERT_TRUE(app.Host().WaitForIdle(alert));
	BAlert* object = FindAlert();
	ASSERT_NE(object, nullptr);
	EXPECT_STREQ(object->Text(), "Vellumark 1.5\n\ne-mail: vellumark@example.org");
	EXPECT_EQ(object->CountButtons(), 1);
	EXPECT_STREQ(object->ButtonLabel(0), "OK");

	app.Host().InjectKey(alert, "\n");
	EXPECT_TRUE(app.Host().WaitForClose(alert));
	EXPECT_FALSE(app.Finished(100)) << "dismissing the about box does not quit";
}

TEST(CMainApp, CloseBoxOrQuitButtonQuitsTheApplicationAndEveryThread)
{
	enum Action {
		kCloseBox,
		kQuitButton,
		kCloseBoxOverTheAboutBox
	};
	for (Action action : {kCloseBox, kQuitButton, kCloseBoxOverTheAboutBox}) {
		int threadsBefore = testing_support::CountThreads();
		{
			AppRunner app;
			if (action == kQuitButton)
				app.Host().InjectClick(app.MainWindow(), kQuit);
			else {
				if (action == kCloseBoxOverTheAboutBox) {
					app.Host().InjectClick(app.MainWindow(), kAbout);
					ASSERT_GE(app.Host().WaitForWindow(""), 0);
				}
				app.Host().InjectClose(app.MainWindow());
			}
			EXPECT_TRUE(app.Finished()) << "action " << action;
		}
		EXPECT_TRUE(testing_support::WaitUntil([&] {
			return testing_support::CountThreads() <= threadsBefore;
		})) << "action "
			<< action << ": a thread outlived the application";
	}
}

TEST(CMainApp, RefsAtLaunchSetTheFirstFilesFolderIconThenQuit)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	std::string first = dir.Make("one/a.txt");
	std::string second = dir.Make("two/b.txt");
	AppRunner app({"vellumark", "--refs", first, second});
	EXPECT_TRUE(app.Finished());
	EXPECT_TRUE(HasXattr(dir.Join("one"), testing_support::kLargeIconAttr));
	EXPECT_TRUE(HasXattr(dir.Join("one"), testing_support::kMiniIconAttr));
	EXPECT_FALSE(HasXattr(dir.Join("two"), testing_support::kLargeIconAttr));
}

// Plain arguments are ignored, and the launch switch without an existing file quits nothing.
TEST(CMainApp, CommandLineFilesAndMissingLaunchFilesKeepItRunningAndChangeNothing)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	std::string file = dir.Make("one/a.txt");
	const std::vector<std::string> kRows[] = {
		{"vellumark", file}, {"vellumark", "--refs", "/nonexistent/file"}};
	for (size_t i = 0; i < std::size(kRows); i++) {
		AppRunner app(kRows[i]);
		ASSERT_GE(app.MainWindow(), 0) << "row " << i;
		EXPECT_FALSE(app.Finished(300)) << "row " << i << ": the application keeps running";
		EXPECT_FALSE(HasXattr(dir.Join("one"), testing_support::kLargeIconAttr)) << "row " << i;
	}
}
