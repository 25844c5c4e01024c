// Folders that refuse a Set icon's writes, made for real: a root-owned folder, dropped on by
// another Vellumark process run without root privileges; folders of /proc and /sys, whose
// file systems keep no user attributes. Each drop ends in its fixed lines, and nothing
// changes: not an attribute, nor the images and .directory for the file managers. (A write
// that fails half way, a full disk among them, is the fault injection run's.)
//
// And two Vellumark processes setting icons on the same folder at once, each dropping its own
// file over and over: every value seen, while they run and at the end, is one a single Set
// icon can make, never torn nor mixed from both processes' writes.
#include <string.h>
#include <sys/stat.h>

#include <future>
#include <set>

#include "FaultSupport.h"

using namespace fault_test;

namespace {

const char kSetLines[] = "Set large icon failed.\nSet mini icon failed.\n";
const char kClearLines[] = "Merdoiement au clear du large icon.\n"
						   "Merdoiement au clear du mini icon.\n";
const uint8_t kItemColour = 0x23;

// One drop on a folder that refuses writes: root's, dropped on by nobody, or a kernel file's.
struct Refusal {
	const char* name;  // the figure's
	const char* folder;  // "root", or the kernel's file
	bool set;  // on Set icon, else on Clear icon
	bool dropFolder;  // the folder itself is dropped, else the item in it
	const char* printed;
};

const Refusal kRefusals[] = {
	{"unprivileged.set", "root", true, false, kSetLines},
	{"unprivileged.clear_folder", "root", false, true, kClearLines},
	{"unprivileged.clear_item", "root", false, false, kClearLines},
	{"proc.set", "/proc/self/status", true, false, kSetLines},
	{"proc.clear", "/proc/self/status", false, false, kClearLines},
	{"sys.set", "/sys/kernel/uevent_seqnum", true, false, kSetLines},
	{"sys.clear", "/sys/kernel/uevent_seqnum", false, false, kClearLines},
};

// Everything a drop may change in a folder: its attributes, and as "image" and "directory" the
// name of its image and its .directory for the file managers.
Xattrs Take(const std::string& folder)
{
	Xattrs all = AllXattrs(folder);
	std::string image = FolderImage(folder), directory = ReadFile(folder + "/.directory");
	all["image"] = Bytes(image.begin(), image.end());
	all["directory"] = Bytes(directory.begin(), directory.end());
	return all;
}

}  // namespace

TEST(RefusedWrites, EachDropPrintsItsLinesAndChangesNothing)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	app_test::AppRunner app;
	for (size_t row = 0; row < std::size(kRefusals); row++) {
		const Refusal& refusal = kRefusals[row];
		const bool root = strcmp(refusal.folder, "root") == 0;
		if (root && geteuid() != 0)
			continue;  // the folder must belong to root and the drop to someone else
		std::string item = root ? dir.Make("row" + std::to_string(row) + "/item") : refusal.folder;
		std::string folder = item.substr(0, item.rfind('/'));
		// The folder has own icons and an attribute of another program's; the item an icon.
		ASSERT_TRUE(!root
			|| (GiveIcons(item, 0, kItemColour) && SetXattr(folder, "user.comment", {'k'})
				&& chmod(folder.c_str(), 0755) == 0 && GiveIcons(folder, 0x40, 0x41)));
		Xattrs before = Take(folder);
		std::string dropped = refusal.dropFolder ? folder : item, printed;
		if (root) {
			std::string order = (refusal.set ? "set 1 " : "clear 1 ") + dropped;
			EXPECT_EQ(RunUnprivileged([&] { return RunDriver(order, folder + ".out"); }), 0) << row;
			printed = ReadFile(folder + ".out");
		} else {
			printed = Drop(app, refusal.set ? kSetBox : kClearBox, DragOf(dropped));
		}
		bool unchanged = Take(folder) == before;
		EXPECT_EQ(printed, refusal.printed) << "row " << row << " (" << refusal.name << ")";
		EXPECT_TRUE(unchanged) << "row " << row << " (" << refusal.name << ")";
		RecordFigure(std::string("fault.") + refusal.name + ".outcome",
			printed != refusal.printed || !unchanged ? "unexpected" : "refused_with_lines");
	}
}

// Every value sampled, and the image at the end, is one a single Set icon could have made.
// Each replaces the image by renaming a new file over it, so the other may find the file it
// just opened without a link: that is a file being replaced, not another program's file, and
// neither tells of one.
TEST(ConcurrentSetIcons, EveryStoredIconAndImageIsOneASingleSetIconCouldHaveMade)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	std::string folder = dir.Make("folder", true), items[2];
	Bytes typeLarge = Stored("ICON", TrackerIcon(folder, 32));
	Bytes typeMini = Stored("MICN", TrackerIcon(folder, 16));
	ASSERT_EQ(typeLarge.size(), 4u + 1024);
	// Own mini icons of one opaque colour each: a Set icon draws over the whole lower part.
	std::set<Bytes> larges = {Bytes()}, minis = {Bytes()};
	for (int i = 0; i < 2; i++) {
		items[i] = dir.Make("folder/item" + std::to_string(i));
		ASSERT_TRUE(GiveIcons(items[i], 0, 0x23 + 7 * i));
		Xattrs icons = Composed(Bytes(256, 0x23 + 7 * i), typeLarge, typeMini);
		larges.insert(icons[kLargeIconAttr]);
		minis.insert(icons[kMiniIconAttr]);
	}

	Watchdog watchdog(90);
	auto drive = [&](int i) { return RunDriver("set 1000 " + items[i], items[i] + ".out"); };
	std::future<int> first = std::async(std::launch::async, drive, 0);
	std::future<int> second = std::async(std::launch::async, drive, 1);
	long long samples = 0, torn = 0;
	for (bool last = false; !last; samples += 2) {
		last = first.wait_for(std::chrono::seconds(0)) == std::future_status::ready
			&& second.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
		Xattrs now = AllXattrs(folder);
		torn += !larges.count(now[kLargeIconAttr]) + !minis.count(now[kMiniIconAttr]);
		std::this_thread::sleep_for(std::chrono::microseconds(500));
	}
	EXPECT_TRUE(first.get() == 0 && second.get() == 0);
	EXPECT_EQ(ReadFile(items[0] + ".out") + ReadFile(items[1] + ".out"), "")
		<< "a Set icon failed or told of a foreign file";
	EXPECT_EQ(torn, 0) << "of " << samples << " values sampled";
	Bytes large = AllXattrs(folder)[kLargeIconAttr];
	EXPECT_FALSE(large.empty()) << "no icon stored at all";
	EXPECT_EQ(FolderImage(folder), ImageForStoredIcon(large)) << "the image is not the icon's";
	RecordFigure("fault.concurrent.sets", 2000);
	RecordFigure("fault.concurrent.samples", samples);
	RecordFigure("fault.concurrent.torn", torn);
}
