// Real drags out of a real file manager (PCManFM in icon view), driven with xdotool.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "Session.h"

namespace e2e {

class FileManagerDrag : public Session {};

// A file onto Set icon gives its folder icons; a folder with icons onto Clear icon takes its
// own away. Either drag presses the box it is over.
TEST_F(FileManagerDrag, EntryDraggedOverABoxPressesItAndDroppedSetsOrClearsFolderIcons)
{
	if (!HaveProgram("pcmanfm"))
		GTEST_SKIP() << "pcmanfm is not installed (scripts/setup installs it)";
	TempDir scratch;
	SKIP_WITHOUT_XATTRS(scratch.Path());
	std::string photos = scratch.Make("Photos", true);
	WriteFile(scratch.Make("config/pcmanfm/default", true) + "/pcmanfm.conf",
		"[ui]\nview_mode=icon\nwin_width=500\nwin_height=300\nshow_statusbar=0\n");
	std::vector<std::string> env = fEnv;
	env.insert(env.end(),
		{"XDG_CONFIG_HOME=" + scratch.Join("config"),
			"DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent", "GIO_USE_VFS=local"});
	Child files({"pcmanfm", photos}, env);
	// Below the program's window, once it shows.
	Xdotool("search --sync --onlyvisible --maxdepth 1 --class pcmanfm windowmove %@ 0 250");
	ASSERT_NO_FATAL_FAILURE(Launch());
	const int width = 1024;
	auto shot = [&] { return Grab(0, 250, width, 518); };

	// The boxes' frames are (100, 10, 180, 60) and (190, 10, 270, 60).
	static const struct {
		const char* entry;
		bool folder;
		int boxLeft;
	} kDrags[] = {{"notes.txt", false, 100}, {"Album", true, 190}};
	for (size_t i = 0; i < std::size(kDrags); i++) {
		std::string entry = photos + "/" + kDrags[i].entry;
		// Alone in a still view, the new entry is all that changes there.
		std::filesystem::remove(photos + "/" + kDrags[0].entry);
		Xdotool("mousemove 1000 740");
		// Still once two shots 300 ms apart match; the first shot has nothing to match.
		std::vector<uint32_t> before, after;
		WaitUntil(
			[&] {
				after.swap(before);
				return (before = shot()) == after;
			},
			std::chrono::seconds(5), std::chrono::milliseconds(300));
		if (kDrags[i].folder) {
			mkdir(entry.c_str(), 0755);
			GiveIcons(entry, 0x3F, 0x3F);
		} else {
			WriteFile(entry, "notes");
		}
		ASSERT_TRUE(Eventually([&] { return shot() != before; }))
			<< "drag " << i << ": not shown; " << files.Err();
		usleep(300000);
		after = shot();
		// Its picture lies above its name.
		int left = width, top = 518, right = 0, bottom = 0;
		for (int at = 0; at < int(after.size()); at++) {
			if (after[at] != before[at]) {
				left = std::min(left, at % width);
				right = std::max(right, at % width);
				top = std::min(top, at / width);
				bottom = std::max(bottom, at / width);
			}
		}
		int x = (left + right) / 2, y = 250 + top + (bottom - top) / 3;
		// Past the drag threshold, then over the box, then a little further within it.
		Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y)
			+ " sleep 0.2 mousedown 1 sleep 0.2 mousemove_relative 20 20 sleep 0.3 mousemove "
			+ std::to_string(100 + kDrags[i].boxLeft + 40)
			+ " 135 sleep 0.3 mousemove_relative 1 1 sleep 0.3");
		for (const auto& [dx, colour] : {std::pair{1, 0xD9D9D9}, {2, 0x000000}, {80, 0xFFFFFF}}) {
			int at = kDrags[i].boxLeft + dx;
			EXPECT_TRUE(Shows(at, 35, colour)) << "drag " << i << ": " << std::hex << Pixel(at, 35);
		}
		Xdotool("mouseup 1");
		EXPECT_TRUE(WaitUntil([&] {
			return HasXattr(photos, kLargeIconAttr) && HasXattr(photos, kMiniIconAttr)
				&& !HasXattr(entry, kLargeIconAttr) && !HasXattr(entry, kMiniIconAttr);
		})) << "drag "
			<< i << ": " << fProgram->Out();
	}
}

}  // namespace e2e
