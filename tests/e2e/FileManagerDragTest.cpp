// Real drags out of a real file manager (PCManFM in icon view), driven with xdotool.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>

#include "TestSupport.h"
#include "VellumarkSession.h"

namespace e2e {

using std::chrono::milliseconds;
using testing_support::Bytes;
using testing_support::HasXattr;
using testing_support::SetXattr;
using testing_support::Stored;
using testing_support::TempDir;
using testing_support::WaitUntil;

namespace {

const char* const kLargeIcon = testing_support::kLargeIconAttr;
const char* const kMiniIcon = testing_support::kMiniIconAttr;

const Rgb kBase = {217, 217, 217};
const Rgb kInk = {0, 0, 0};
const Rgb kHighlight = {255, 255, 255};

// Window points inside the two drop boxes, (100, 10, 180, 60) and (190, 10, 270, 60).
const int kSetIconX = 140;
const int kClearIconX = 230;
const int kBoxY = 35;

}  // namespace

class FileManagerDrag : public VellumarkSession {
protected:
	void SetUp() override
	{
		VellumarkSession::SetUp();
		if (IsSkipped() || HasFatalFailure())
			return;
		if (!HaveProgram("pcmanfm"))
			GTEST_SKIP() << "pcmanfm is not installed (scripts/setup installs it)";
		SKIP_WITHOUT_XATTRS(fScratch.Path());
		fFolder = fScratch.Make("Photos", true);
	}

	void TearDown() override
	{
		fFileManager.reset();
		VellumarkSession::TearDown();
	}

	// PCManFM showing the folder in icon view, below the program's window.
	void OpenFileManager()
	{
		std::string config = fScratch.Make("config/pcmanfm/default", true);
		std::ofstream(config + "/pcmanfm.conf") << "[ui]\nview_mode=icon\nwin_width=500\n"
												   "win_height=300\nshow_statusbar=0\n";
		fFileManager = std::make_unique<ChildProcess>();
		ASSERT_TRUE(fFileManager->Start({"pcmanfm", fFolder},
			{"DISPLAY=" + fServer->Name(), "XDG_CONFIG_HOME=" + fScratch.Join("config"),
				"DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent", "GIO_USE_VFS=local"}));
		ASSERT_TRUE(WaitUntil(
			[this] {
				for (const TopWindow& window : fScreen->Toplevels("pcmanfm")) {
					if (window.width > 100)
						fFileManagerWindow = window;
				}
				return fFileManagerWindow.id != 0;
			},
			milliseconds(10000)))
			<< "no file manager window: " << fFileManager->Stderr();
		fScreen->MoveWindow(fFileManagerWindow.id, 0, 250);
		fFileManagerWindow.x = 0;
		fFileManagerWindow.y = 250;
	}

	// Makes the entry while the file manager looks, and finds its icon as what changed.
	bool ShowNewEntry(const std::function<void()>& make, int* x, int* y)
	{
		Xdotool({"mousemove", "1000", "740"});
		const TopWindow& view = fFileManagerWindow;
		ScreenShot before = fScreen->Grab(view.x, view.y, view.width, view.height);
		WaitUntil(
			[&] {
				usleep(300000);
				ScreenShot settled = fScreen->Grab(view.x, view.y, view.width, view.height);
				bool same = settled.pixels == before.pixels;
				before = settled;
				return same;
			},
			milliseconds(5000));
		make();
		ScreenShot after;
		bool changed = WaitUntil(
			[&] {
				after = fScreen->Grab(view.x, view.y, view.width, view.height);
				return after.pixels != before.pixels;
			},
			milliseconds(5000));
		if (!changed)
			return false;
		usleep(300000);
		after = fScreen->Grab(view.x, view.y, view.width, view.height);
		int left = view.width, top = view.height, right = -1, bottom = -1;
		for (int row = 0; row < view.height; row++) {
			for (int column = 0; column < view.width; column++) {
				size_t at = (size_t)row * view.width + column;
				if (after.pixels[at] == before.pixels[at])
					continue;
				left = std::min(left, column);
				right = std::max(right, column);
				top = std::min(top, row);
				bottom = std::max(bottom, row);
			}
		}
		// The picture sits above the name.
		*x = view.x + (left + right) / 2;
		*y = view.y + top + (bottom - top) / 3;
		return right >= 0;
	}

	void DragFromTo(int fromX, int fromY, int windowX, int windowY)
	{
		Xdotool({"mousemove", std::to_string(fromX), std::to_string(fromY)});
		usleep(200000);
		Xdotool({"mousedown", "1"});
		int toX = fMainWindow.x + windowX;
		int toY = fMainWindow.y + windowY;
		const int steps = 12;
		for (int step = 1; step <= steps; step++) {
			Xdotool({"mousemove", std::to_string(fromX + (toX - fromX) * step / steps),
				std::to_string(fromY + (toY - fromY) * step / steps)});
			usleep(60000);
		}
		usleep(300000);
		Xdotool({"mousemove", std::to_string(toX + 1), std::to_string(toY + 1)});
		usleep(300000);
	}

	TempDir fScratch;
	std::string fFolder;
	std::unique_ptr<ChildProcess> fFileManager;
	TopWindow fFileManagerWindow;
};

TEST_F(FileManagerDrag, FileOnSetIconShowsThePressedBoxAndGivesItsFolderIcons)
{
	OpenFileManager();
	Launch();
	ASSERT_TRUE(WaitForMainWindow()) << fProgram->Stderr();
	int x = 0, y = 0;
	std::string file = fFolder + "/notes.txt";
	ASSERT_TRUE(ShowNewEntry([&] { std::ofstream(file) << "notes"; }, &x, &y))
		<< "the file manager did not show the new file";

	DragFromTo(x, y, kSetIconX, kBoxY);
	EXPECT_TRUE(WindowShows(101, kBoxY, kBase)) << WindowPixel(101, kBoxY);
	EXPECT_TRUE(WindowShows(102, kBoxY, kInk)) << WindowPixel(102, kBoxY);
	EXPECT_TRUE(WindowShows(180, kBoxY, kHighlight)) << WindowPixel(180, kBoxY);
	Xdotool({"mouseup", "1"});

	EXPECT_TRUE(
		WaitUntil([&] { return HasXattr(fFolder, kLargeIcon) && HasXattr(fFolder, kMiniIcon); },
			milliseconds(5000)))
		<< "the folder got no icons; program output: " << fProgram->Stdout();
	EXPECT_FALSE(HasXattr(file, kLargeIcon));
}

TEST_F(FileManagerDrag, FolderOnClearIconLosesItsOwnIcons)
{
	std::string album = fFolder + "/Album";
	OpenFileManager();
	Launch();
	ASSERT_TRUE(WaitForMainWindow()) << fProgram->Stderr();
	int x = 0, y = 0;
	ASSERT_TRUE(ShowNewEntry(
		[&] {
			mkdir(album.c_str(), 0755);
			SetXattr(album, kLargeIcon, Stored("ICON", Bytes(1024, 0x3F)));
			SetXattr(album, kMiniIcon, Stored("MICN", Bytes(256, 0x3F)));
		},
		&x, &y))
		<< "the file manager did not show the new folder";

	DragFromTo(x, y, kClearIconX, kBoxY);
	Xdotool({"mouseup", "1"});

	EXPECT_TRUE(
		WaitUntil([&] { return !HasXattr(album, kLargeIcon) && !HasXattr(album, kMiniIcon); },
			milliseconds(5000)))
		<< "the folder kept its icons; program output: " << fProgram->Stdout();
}

}  // namespace e2e
