// Folders that refuse a Set icon's writes, made for real: a root-owned folder, dropped on by
// another Vellumark process run without root privileges; folders of /proc and /sys, whose
// file systems keep no user attributes; a folder whose attribute space is full (filled with
// other programs' attributes until the file system refuses even one more byte). Each drop
// ends in its fixed lines, and nothing changes: not an attribute, nor the images and
// .directory for the file managers. Where the full folder has own icons already, a new icon
// of the same size may take the old one's place (ext4 frees the old value first): whatever is
// stored is then a whole icon, with nothing else lost, and its image is what the file
// managers show.
//
// And two Vellumark processes setting icons on the same folder at once, each dropping its own
// file over and over: every value seen, while they run and at the end, is one a single Set
// icon can make, never torn nor mixed from both processes' writes.
#include <gtest/gtest.h>

#include <errno.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <set>
#include <thread>

#include "FaultSupport.h"

using namespace fault_test;

namespace {

const char kSetLines[] = "Set large icon failed.\nSet mini icon failed.\n";
const char kClearLines[] = "Merdoiement au clear du large icon.\n"
						   "Merdoiement au clear du mini icon.\n";
const uint8_t kItemColour = 0x23;

enum Folder { kRootOwned, kFull, kFullWithIcons, kProc, kSys };

// One drop on a folder that refuses writes.
struct Refusal {
	const char* name;  // the figure's
	Folder folder;
	bool set;  // on Set icon, else on Clear icon
	bool dropFolder;  // the folder itself is dropped, else the item in it
	const char* printed;  // NULL: a Set icon that may replace whole icons
	const char* outcome;
};

const Refusal kRefusals[] = {
	{"unprivileged.set", kRootOwned, true, false, kSetLines, "refused_with_lines"},
	{"unprivileged.clear_folder", kRootOwned, false, true, kClearLines, "refused_with_lines"},
	{"unprivileged.clear_item", kRootOwned, false, false, kClearLines, "refused_with_lines"},
	{"proc.set", kProc, true, false, kSetLines, "refused_with_lines"},
	{"proc.clear", kProc, false, false, kClearLines, "refused_with_lines"},
	{"sys.set", kSys, true, false, kSetLines, "refused_with_lines"},
	{"sys.clear", kSys, false, false, kClearLines, "refused_with_lines"},
	{"xattr_full.set", kFull, true, false, kSetLines, "refused"},
	{"xattr_full.clear", kFull, false, false, "", "nothing_to_remove"},
	{"xattr_full_own_icons.set", kFullWithIcons, true, false, NULL, "whole_icons"},
	{"xattr_full_own_icons.clear", kFullWithIcons, false, false, "", "removed"},
};

// Writes user.fill.N values, each as large as still fits, halving down to one byte, until
// the file system refuses even that; the number of values written.
int FillAttributeSpace(const std::string& path)
{
	int count = 0;
	for (size_t size = 4096; size >= 1;) {
		std::string name = "user.fill." + std::to_string(count);
		Bytes value(size, uint8_t('a' + count % 26));
		if (lsetxattr(path.c_str(), name.c_str(), value.data(), size, XATTR_CREATE) == 0)
			count++;
		else if (errno == ENOSPC || errno == E2BIG)
			size /= 2;
		else
			break;
	}
	return count;
}

Xattrs WithoutIcons(Xattrs all)
{
	all.erase(kLargeIconAttr);
	all.erase(kMiniIconAttr);
	return all;
}

// Everything a drop may change in a folder.
struct Snapshot {
	Xattrs xattrs;
	std::string image, directory;
};

Snapshot Take(const std::string& folder)
{
	return {AllXattrs(folder), FolderImage(folder), ReadFile(folder + "/.directory")};
}

}  // namespace

TEST(RefusedWrites, EachDropPrintsItsLinesAndChangesNothingButWholeIcons)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	FaultWindow window;
	for (size_t row = 0; row < sizeof(kRefusals) / sizeof(kRefusals[0]); row++) {
		const Refusal& refusal = kRefusals[row];
		std::string folder = dir.Join("row" + std::to_string(row)), item = folder + "/item";
		if (refusal.folder == kProc || refusal.folder == kSys) {
			item = refusal.folder == kProc ? "/proc/self/status" : "/sys/kernel/uevent_seqnum";
			folder = item.substr(0, item.rfind('/'));
			struct stat st;
			if (stat(item.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
				continue;
		} else {
			dir.Make("row" + std::to_string(row) + "/item");
			ASSERT_TRUE(SetXattr(item, kMiniIconAttr, Stored("MICN", Bytes(256, kItemColour))));
			ASSERT_TRUE(SetXattr(folder, "user.comment", Bytes{'k', 'e', 'e', 'p'}));
		}
		if (refusal.folder == kRootOwned) {
			if (geteuid() != 0)
				continue;  // the folder must belong to root and the drop to someone else
			chmod(folder.c_str(), 0755);
			ASSERT_TRUE(SetXattr(folder, kLargeIconAttr, Stored("ICON", Bytes(1024, 0x40))));
			ASSERT_TRUE(SetXattr(folder, kMiniIconAttr, Stored("MICN", Bytes(256, 0x41))));
		}
		if (refusal.folder == kFullWithIcons) {
			std::string first = dir.Make("row" + std::to_string(row) + "/first");
			ASSERT_TRUE(SetXattr(first, kMiniIconAttr, Stored("MICN", Bytes(256, 0x2A))));
			ASSERT_EQ(window.DropPath(kSetBox, first), "") << "row " << row;
			ASSERT_NE(FolderImage(folder), "") << "row " << row;
		}
		if (refusal.folder == kFull || refusal.folder == kFullWithIcons) {
			RecordFigure("fault." + std::string(refusal.name) + ".fillers",
				FillAttributeSpace(folder));
			EXPECT_FALSE(SetXattr(folder, "user.probe", Bytes(1028))) << "row " << row;
		}

		Snapshot before = Take(folder);
		std::string dropped = refusal.dropFolder ? folder : item, printed;
		BPoint box = refusal.set ? kSetBox : kClearBox;
		if (refusal.folder == kRootOwned) {
			std::string out = folder + ".out", order = refusal.set ? "set 1 " : "clear 1 ";
			EXPECT_EQ(RunUnprivileged([&] {
				int status = -1;
				WriteFile(out, RunDriver(order + dropped, &status));
				return status;
			}),
				0) << "row " << row;
			printed = ReadFile(out);
		} else {
			printed = window.DropPath(box, dropped);
		}
		Snapshot after = Take(folder);

		std::string wrong;
		if (refusal.printed == NULL) {
			// Each icon is the new one or the old one, and the lines name those not stored.
			Bytes large, mini;
			ComposedIcons(Bytes(256, kItemColour),
				Bytes(before.xattrs[kLargeIconAttr].begin() + 4, before.xattrs[kLargeIconAttr].end()),
				Bytes(before.xattrs[kMiniIconAttr].begin() + 4, before.xattrs[kMiniIconAttr].end()),
				&large, &mini);
			bool largeNew = after.xattrs[kLargeIconAttr] == large;
			bool miniNew = after.xattrs[kMiniIconAttr] == mini;
			if (!largeNew && after.xattrs[kLargeIconAttr] != before.xattrs[kLargeIconAttr])
				wrong += "a torn large icon; ";
			if (!miniNew && after.xattrs[kMiniIconAttr] != before.xattrs[kMiniIconAttr])
				wrong += "a torn mini icon; ";
			if (printed != std::string(largeNew ? "" : "Set large icon failed.\n")
					+ (miniNew ? "" : "Set mini icon failed.\n"))
				wrong += "printed \"" + printed + "\"; ";
			if (WithoutIcons(after.xattrs) != WithoutIcons(before.xattrs))
				wrong += "another attribute changed; ";
			if (after.image != ImageForStoredIcon(after.xattrs[kLargeIconAttr]))
				wrong += "the image is not the stored icon; ";
		} else {
			if (printed != refusal.printed)
				wrong += "printed \"" + printed + "\"; ";
			// A Clear icon that printed nothing removed the own icons, and only them.
			Snapshot expected = before;
			if (!refusal.set && *refusal.printed == '\0' && before.xattrs.count(kLargeIconAttr))
				expected = {WithoutIcons(before.xattrs), "", after.directory};
			if (after.xattrs != expected.xattrs || after.image != expected.image
				|| after.directory != expected.directory)
				wrong += "the folder changed; ";
		}
		EXPECT_EQ(wrong, "") << "row " << row << " (" << refusal.name << ")";
		RecordFigure("fault." + std::string(refusal.name) + ".outcome",
			wrong.empty() ? refusal.outcome : "unexpected");
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
	const int sets = 1000;
	std::string folder = dir.Make("folder", true), items[2];
	Bytes typeLarge = TrackerIcon(folder, 32), typeMini = TrackerIcon(folder, 16);
	ASSERT_EQ(typeLarge.size(), 1024u);
	// Own mini icons of one opaque colour each: a Set icon draws over the whole lower part.
	std::set<Bytes> larges = {Bytes()}, minis = {Bytes()};
	std::set<std::string> images;
	for (int i = 0; i < 2; i++) {
		items[i] = dir.Make("folder/item" + std::to_string(i));
		Bytes colour(256, i == 0 ? 0x23 : 0x2A), large, mini;
		ASSERT_TRUE(SetXattr(items[i], kMiniIconAttr, Stored("MICN", colour)));
		ComposedIcons(colour, typeLarge, typeMini, &large, &mini);
		larges.insert(large);
		minis.insert(mini);
		images.insert(ImageForStoredIcon(large));
	}

	Watchdog watchdog(90);
	std::atomic<int> running(2);
	std::string printed[2];
	int status[2];
	std::thread drivers[2];
	for (int i = 0; i < 2; i++) {
		drivers[i] = std::thread([&, i] {
			printed[i] = RunDriver("set " + std::to_string(sets) + " " + items[i], &status[i]);
			running--;
		});
	}
	long long samples = 0, torn = 0;
	for (bool last = false; !last;) {
		last = running == 0;
		Xattrs now = AllXattrs(folder);
		samples += 2;
		torn += (larges.count(now[kLargeIconAttr]) == 0) + (minis.count(now[kMiniIconAttr]) == 0);
		std::this_thread::sleep_for(std::chrono::microseconds(500));
	}
	for (std::thread& driver : drivers)
		driver.join();

	EXPECT_EQ(status[0], 0);
	EXPECT_EQ(status[1], 0);
	EXPECT_EQ(printed[0] + printed[1], "") << "a Set icon failed or told of a foreign file";
	EXPECT_EQ(torn, 0) << "of " << samples << " values sampled";
	EXPECT_TRUE(HasXattr(folder, kLargeIconAttr)) << "no icon stored at all";
	EXPECT_EQ(images.count(FolderImage(folder)), 1u);
	RecordFigure("fault.concurrent.sets", 2LL * sets);
	RecordFigure("fault.concurrent.samples", samples);
	RecordFigure("fault.concurrent.torn", torn);
}
