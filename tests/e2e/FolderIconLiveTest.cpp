// A real GNOME Files window open on a folder's parent shows each new folder icon without a
// refresh: the program is handed a file at launch (a Set icon) again and again, then the
// folder is dropped on Clear icon (through the real window, on the headless host), all on
// one private session bus that GNOME Files, GVfs's metadata daemon and the program share.

#include <algorithm>

#include "Session.h"

namespace e2e {

class FolderIconLive : public Session {};

TEST_F(FolderIconLive, GnomeFilesShowsEachSetIconAndClearIconWithoutARestart)
{
	for (const char* tool : {"nautilus", "dbus-daemon"}) {
		if (!HaveProgram(tool))
			GTEST_SKIP() << tool << " is not installed (scripts/setup installs it)";
	}
	TempDir scratch;
	SKIP_WITHOUT_XATTRS(scratch.Path());
	std::string parent = scratch.Make("home/Pictures", true);
	std::string folder = scratch.Make("home/Pictures/Holidays", true);
	// The bus, and so the metadata daemon it starts, keeps its files in the scratch area.
	std::vector<std::string> env = fEnv;
	env.insert(env.end(),
		{"HOME=" + scratch.Join("home"), "XDG_CONFIG_HOME=" + scratch.Join("home/.config"),
			"XDG_DATA_HOME=" + scratch.Join("home/.local/share"),
			"XDG_CACHE_HOME=" + scratch.Join("home/.cache"),
			"XDG_RUNTIME_DIR=", "GSETTINGS_BACKEND=memory", "GIO_USE_VFS=",
			// GTK 4 draws through OpenGL by default, in software on Xvfb: on a busy machine
			// a window takes many seconds to show anything. Cairo draws it at once.
			"GSK_RENDERER=cairo", "DBUS_SESSION_BUS_ADDRESS="});
	Child bus({"dbus-daemon", "--session", "--nofork", "--print-address=1"}, env);
	ASSERT_TRUE(WaitUntil([&] { return !Lines(bus.Out()).empty(); })) << bus.Err();
	env.back() = "DBUS_SESSION_BUS_ADDRESS=" + Lines(bus.Out())[0];

	// Solid colours of the colour map that no theme folder has: the cube's red and green.
	const uint32_t kRed = 0xFF0000, kGreen = 0x00FF00;
	const uint8_t kRedIndex = 32 + 36 * 5, kGreenIndex = 32 + 6 * 5;
	// A file whose own mini icon is one solid colour, handed to the program at launch.
	auto setIconFrom = [&](const std::string& name, uint8_t colour) {
		std::string item = folder + "/" + name;
		WriteFile(item, name);
		GiveIcons(item, 0, colour);
		Child program({kProgram, "--refs", item}, env);
		EXPECT_EQ(program.Wait(), 0) << name << ": " << program.Out() << program.Err();
	};
	auto count = [&](uint32_t colour) {
		std::vector<uint32_t> screen = Grab(0, 0, 1024, 768);
		return std::count(screen.begin(), screen.end(), colour);
	};
	// The overlay covers a quarter of the icon: at GNOME Files' default size, hundreds of
	// pixels.
	auto shows = [&](uint32_t colour, uint32_t gone) {
		return Eventually([&] { return count(colour) >= 200 && count(gone) == 0; }, 6);
	};

	// The first icon is there before the window opens: once it shows, the folder is listed
	// and watched.
	setIconFrom("first", kRedIndex);
	Child files({"nautilus", "--new-window", parent}, env);
	ASSERT_TRUE(Eventually([&] { return count(kRed) >= 200; }, 30))
		<< "red pixels: " << count(kRed) << "\nGNOME Files: " << files.Err();
	// Red over the green is red over the folder again: the first image's name, shown again.
	for (const auto& [name, index, shown, gone] :
		{std::tuple{"second", kGreenIndex, kGreen, kRed}, {"third", kRedIndex, kRed, kGreen}}) {
		setIconFrom(name, index);
		EXPECT_TRUE(shows(shown, gone))
			<< name << ": " << count(shown) << " shown, " << count(gone) << " gone";
	}

	Child driver({FAULT_DROP_DRIVER, "clear", "1", folder}, env);
	EXPECT_EQ(driver.Wait(std::chrono::seconds(20)), 0) << driver.Out() << driver.Err();
	EXPECT_FALSE(HasXattr(folder, kLargeIconAttr));
	EXPECT_TRUE(Eventually([&] { return count(kRed) == 0 && count(kGreen) == 0; }))
		<< "red pixels: " << count(kRed) << ", green: " << count(kGreen);
	EXPECT_TRUE(files.Running());
}

}  // namespace e2e
