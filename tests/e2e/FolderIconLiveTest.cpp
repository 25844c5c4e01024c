// A real GNOME Files window open on a folder's parent shows each new folder icon without a
// refresh: the program is handed a file at launch (a Set icon) again and again, then the
// folder is dropped on Clear icon (through the real window, on the headless host), all on
// one private session bus that GNOME Files, GVfs's metadata daemon and the program share.

#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "TestSupport.h"
#include "VellumarkSession.h"

namespace e2e {

using std::chrono::milliseconds;
using testing_support::SetXattr;
using testing_support::TempDir;
using testing_support::WaitUntil;

namespace {

// Solid colours of the colour map that no theme folder has: the cube's red and green.
const uint8_t kRedIndex = 32 + 36 * 5;
const uint8_t kGreenIndex = 32 + 6 * 5;
const Rgb kRed = {255, 0, 0};
const Rgb kGreen = {0, 255, 0};
// The overlay covers a quarter of the icon: at GNOME Files' default size, hundreds of pixels.
const int kShownPixels = 200;

}  // namespace

class FolderIconLive : public VellumarkSession {
protected:
	void SetUp() override
	{
		VellumarkSession::SetUp();
		if (IsSkipped() || HasFatalFailure())
			return;
		for (const char* tool : {"nautilus", "dbus-daemon"}) {
			if (!HaveProgram(tool))
				GTEST_SKIP() << tool << " is not installed (scripts/setup installs it)";
		}
		SKIP_WITHOUT_XATTRS(fScratch.Path());
		fParent = fScratch.Make("home/Pictures", true);
		fFolder = fScratch.Make("home/Pictures/Holidays", true);
		// The bus, and so the metadata daemon it starts, keeps its files in the scratch area.
		fEnvironment = {"HOME=" + fScratch.Join("home"),
			"XDG_CONFIG_HOME=" + fScratch.Join("home/.config"),
			"XDG_DATA_HOME=" + fScratch.Join("home/.local/share"),
			"XDG_CACHE_HOME=" + fScratch.Join("home/.cache"),
			"XDG_RUNTIME_DIR=", "GSETTINGS_BACKEND=memory", "DISPLAY=" + fServer->Name(),
			"WAYLAND_DISPLAY=", "GDK_BACKEND=x11", "GIO_USE_VFS=",
			// GTK 4 draws through OpenGL by default, in software on Xvfb: on a busy machine
			// a window takes many seconds to show anything. Cairo draws it at once.
			"GSK_RENDERER=cairo"};
		fBus = std::make_unique<ChildProcess>();
		std::vector<std::string> busEnvironment = fEnvironment;
		busEnvironment.push_back("DBUS_SESSION_BUS_ADDRESS=");
		ASSERT_TRUE(fBus->Start(
			{"dbus-daemon", "--session", "--nofork", "--print-address=1"}, busEnvironment));
		ASSERT_TRUE(WaitUntil([this] { return !Lines(fBus->Stdout()).empty(); })) << fBus->Stderr();
		fEnvironment.push_back("DBUS_SESSION_BUS_ADDRESS=" + Lines(fBus->Stdout())[0]);
	}

	void TearDown() override
	{
		fFileManager.reset();
		fBus.reset();
		VellumarkSession::TearDown();
	}

	void OpenFileManager()
	{
		fFileManager = std::make_unique<ChildProcess>();
		ASSERT_TRUE(fFileManager->Start({"nautilus", "--new-window", fParent}, fEnvironment));
		ASSERT_TRUE(WaitUntil(
			[this] {
				for (const TopWindow& window : fScreen->Toplevels()) {
					if (window.width > 300 && window.height > 200)
						fWindow = window;
				}
				return fWindow.id != 0;
			},
			milliseconds(15000)))
			<< "no GNOME Files window: " << fFileManager->Stderr();
	}

	// A file whose own mini icon is one solid colour, dropped as the program's launch refs.
	void SetIconFrom(const char* name, uint8_t colour)
	{
		std::string item = fFolder + "/" + name;
		std::ofstream(item) << name;
		std::vector<uint8_t> icon = {'M', 'I', 'C', 'N'};
		icon.resize(4 + 256, colour);
		ASSERT_TRUE(SetXattr(item, "user.BEOS:M:STD_ICON", icon));
		ChildProcess program;
		ASSERT_TRUE(program.Start({ProgramPath(), "--refs", item}, fEnvironment));
		int status = -1;
		ASSERT_TRUE(program.WaitForExit(milliseconds(10000), &status));
		EXPECT_EQ(status, 0) << program.Stdout() << program.Stderr();
		fProgramOutput = program.Stdout() + program.Stderr();
	}

	void ClearIcon()
	{
#ifdef FAULT_DROP_DRIVER
		ChildProcess driver;
		ASSERT_TRUE(driver.Start({FAULT_DROP_DRIVER, "clear", "1", fFolder}, fEnvironment));
		int status = -1;
		ASSERT_TRUE(driver.WaitForExit(milliseconds(20000), &status));
		EXPECT_EQ(status, 0) << driver.Stdout() << driver.Stderr();
#else
		GTEST_SKIP() << "the drop driver is not built";
#endif
	}

	int Count(Rgb colour)
	{
		ScreenShot shot = fScreen->Grab(fWindow.x, fWindow.y, fWindow.width, fWindow.height);
		return std::count(shot.pixels.begin(), shot.pixels.end(), colour);
	}

	// Whether the window shows the colour, and no longer the other, within six seconds.
	bool Shows(Rgb colour, Rgb gone)
	{
		return WaitUntil(
			[&] { return Count(colour) >= kShownPixels && Count(gone) == 0; }, milliseconds(6000));
	}

	TempDir fScratch;
	std::string fProgramOutput;
	std::string fParent;
	std::string fFolder;
	std::vector<std::string> fEnvironment;
	std::unique_ptr<ChildProcess> fBus;
	std::unique_ptr<ChildProcess> fFileManager;
	TopWindow fWindow;
};

TEST_F(FolderIconLive, GnomeFilesShowsEachSetIconAndClearIconWithoutARestart)
{
	// The first icon is there before the window opens: once it shows, the folder is listed
	// and watched.
	SetIconFrom("first", kRedIndex);
	OpenFileManager();
	ASSERT_TRUE(WaitUntil([&] { return Count(kRed) >= kShownPixels; }, milliseconds(20000)))
		<< "red pixels: " << Count(kRed) << "\nthe program: " << fProgramOutput
		<< "\nGNOME Files: " << fFileManager->Stderr();
	SetIconFrom("second", kGreenIndex);
	EXPECT_TRUE(Shows(kGreen, kRed))
		<< "green pixels: " << Count(kGreen) << ", red: " << Count(kRed);
	// Red over the green is red over the folder again: the first image's name, shown again.
	SetIconFrom("third", kRedIndex);
	EXPECT_TRUE(Shows(kRed, kGreen))
		<< "red pixels: " << Count(kRed) << ", green: " << Count(kGreen);
	ClearIcon();
	EXPECT_FALSE(testing_support::HasXattr(fFolder, "user.BEOS:L:STD_ICON"));
	EXPECT_TRUE(
		WaitUntil([&] { return Count(kRed) == 0 && Count(kGreen) == 0; }, milliseconds(6000)))
		<< "red pixels: " << Count(kRed);
	EXPECT_TRUE(fFileManager->IsRunning());
}

}  // namespace e2e
