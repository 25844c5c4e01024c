#include <gtest/gtest.h>

#include <Application.h>
#include <Entry.h>
#include <Message.h>
#include <View.h>
#include <Window.h>

#include <sys/stat.h>

#include <vector>

#include "AppRunner.h"
#include "IconCompositing.h"
#include "TestSupport.h"
#include "app/WindowRegistry.h"

using app_test::AppRunner;
using testing_support::GetXattr;
using testing_support::HasXattr;
using testing_support::TempDir;

namespace {

const BPoint kSetBox(140, 35);
const BPoint kClearBox(230, 35);
const BPoint kBackground(95, 35);
const BPoint kAboutButton(50, 20);

class CMainViewTest : public ::testing::Test {
protected:
	void SetUp() override
	{
		SKIP_WITHOUT_XATTRS(fDir.Path());
		fFolder = fDir.Make("folder", true);
		fFile = fDir.Make("folder/file.txt");
		fWindow = fApp.MainWindow();
		ASSERT_GE(fWindow, 0);
	}

	void Drop(BPoint where, const std::string& path)
	{
		BMessage drag = platform::HeadlessHost::DragMessageFromPaths({path});
		fApp.Host().InjectDragMotion(fWindow, where, drag);
		fApp.Host().InjectDrop(fWindow, where, drag);
		ASSERT_TRUE(fApp.Host().WaitForIdle(fWindow));
	}

	bool HasIcons() const
	{
		return HasXattr(fFolder, testing_support::kLargeIconAttr)
			|| HasXattr(fFolder, testing_support::kMiniIconAttr);
	}

	TempDir fDir;
	std::string fFolder;
	std::string fFile;
	AppRunner fApp;
	platform::host_window_id fWindow = -1;
};

}  // namespace

TEST_F(CMainViewTest, OnlyDropsOnTheBoxesSetOrClearTheFoldersIcons)
{
	Drop(kBackground, fFile);
	Drop(kAboutButton, fFile);
	EXPECT_FALSE(HasIcons());
	Drop(kSetBox, fFile);
	EXPECT_TRUE(HasXattr(fFolder, testing_support::kLargeIconAttr));
	EXPECT_TRUE(HasXattr(fFolder, testing_support::kMiniIconAttr));
	Drop(kClearBox, fFolder);
	EXPECT_FALSE(HasIcons());
}

TEST_F(CMainViewTest, MessageThatWasNotDroppedChangesNothing)
{
	BMessage message(B_SIMPLE_DATA);
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(fFile.c_str(), &ref), B_OK);
	message.AddRef("refs", &ref);
	message.AddInt32("FileDropID", 0);
	BWindow* window = dynamic_cast<BWindow*>(platform::WindowRegistry::At(0));
	ASSERT_NE(window, nullptr);
	ASSERT_TRUE(window->Lock());
	BView* view = window->ChildAt(0);
	window->Unlock();
	window->PostMessage(&message, view);
	ASSERT_TRUE(fApp.Host().WaitForIdle(fWindow));
	EXPECT_FALSE(HasIcons());
}

TEST_F(CMainViewTest, DropsInARowAreEachProcessedInOrder)
{
	std::vector<uint8_t> once;
	Drop(kSetBox, fFile);
	ASSERT_TRUE(GetXattr(fFolder, testing_support::kLargeIconAttr, &once));
	Drop(kClearBox, fFolder);

	// Queued before the window handles the first: set, set another, clear, set.
	std::string tool = fDir.Make("folder/tool");
	chmod(tool.c_str(), 0755);
	BMessage drag = platform::HeadlessHost::DragMessageFromPaths({fFile});
	BMessage toolDrag = platform::HeadlessHost::DragMessageFromPaths({tool});
	BMessage folderDrag = platform::HeadlessHost::DragMessageFromPaths({fFolder});
	fApp.Host().InjectDrop(fWindow, kSetBox, drag);
	fApp.Host().InjectDrop(fWindow, kSetBox, toolDrag);
	fApp.Host().InjectDrop(fWindow, kClearBox, folderDrag);
	fApp.Host().InjectDrop(fWindow, kSetBox, drag);
	ASSERT_TRUE(fApp.Host().WaitForIdle(fWindow));

	std::vector<uint8_t> after;
	ASSERT_TRUE(GetXattr(fFolder, testing_support::kLargeIconAttr, &after));
	EXPECT_EQ(after, once) << "the last drop started again from the folder's type icon";
}
