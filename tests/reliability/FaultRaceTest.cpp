// The dropped item or its folder changes between the drag entering the window and the drop.
// The drag's ref names the item by its folder (device, inode and the path it was at) and its
// name, as the desktop made it when the drag began; what the drop then meets decides:
// - a ref whose folder is gone, renamed away or swapped for another folder or a link fails
//   every open, quietly: nothing is read, nothing written, nowhere;
// - an item whose name now holds a link is that link, never what it names;
// - a renamed folder is not looked for elsewhere: the ref's path is where its folder was,
//   and only the same directory object found there is acted on (through a link left at the
//   old name, say), because that is still the folder the item was dragged out of.
#include <algorithm>
#include <sstream>

#include "FaultSupport.h"

using namespace fault_test;
namespace fs = std::filesystem;

namespace {

const uint8_t kItemColour = 0x23, kTargetColour = 0x60, kFolderLarge = 0x40, kFolderMini = 0x41;

// Per try, under tryN: F/item, the dragged item in its folder, and O/item, another folder
// with an item of the same name for a link to lead to. Every node has icons of its own.
std::string MakeTry(const TempDir& dir, int number)
{
	std::string at = dir.Join("try" + std::to_string(number));
	dir.Make("try" + std::to_string(number) + "/F/item");
	dir.Make("try" + std::to_string(number) + "/O/item");
	EXPECT_TRUE(GiveIcons(at, 0x70, 0x71) && GiveIcons(at + "/F", kFolderLarge, kFolderMini)
		&& GiveIcons(at + "/O", 0x50, 0x51) && GiveIcons(at + "/F/item", 0, kItemColour)
		&& GiveIcons(at + "/O/item", 0, kTargetColour) && SetXattr(at + "/F", "user.note", {'F'}))
		<< at;
	return at;
}

// Every node under the try's folder ("." itself) by path, with its attributes; links are not
// followed, and the images and .directory for the file managers are left out.
std::map<std::string, Xattrs> Tree(const std::string& at)
{
	std::map<std::string, Xattrs> tree = {{".", AllXattrs(at)}};
	for (const auto& entry : fs::recursive_directory_iterator(at)) {
		if (entry.path().filename().string()[0] != '.')
			tree[entry.path().string().substr(at.size() + 1)] = AllXattrs(entry.path());
	}
	return tree;
}

// One race: what is dropped on which box, what changes meanwhile, and the one change the drop
// may then make; everything else stays as the steps left it. Paths are relative to the try's
// folder: F (the dragged item's folder), F/item, O, O/item.
struct Race {
	const char* name;
	bool clear;  // dropped on Clear icon, else on Set icon
	const char* dropped;  // F/item or F
	// Steps between the drag entering and the drop: "rm P", "mv P Q", "ln P Q", by turns.
	const char* steps;
	// "set P": P gets the icons composed with the item's own; "link P": with the icon the link
	// now at F/item shows; "clear P": P loses its icons; "none": nothing changes. The
	// figure "outcome" tells which.
	const char* change;
};

const Race kRaces[] = {
	{"item_deleted", false, "F/item", "rm F/item", "none"},
	{"item_renamed", false, "F/item", "mv F/item F/renamed", "none"},
	{"item_symlink_swap", false, "F/item", "rm F/item, ln O/item F/item", "link F"},
	{"folder_deleted", false, "F/item", "rm F", "none"},
	{"folder_renamed", false, "F/item", "mv F renamed", "none"},
	{"folder_symlink_swap", false, "F/item", "mv F moved, ln O F", "none"},
	{"folder_swap", false, "F/item", "mv F moved, mv O F", "none"},
	{"folder_renamed_linked", false, "F/item", "mv F renamed, ln renamed F", "set renamed"},
	// A link holds no own icons, so clearing them succeeds without a line.
	{"clear_folder_symlink_swap", true, "F", "mv F moved, ln O F", "none"},
	{"clear_item_symlink_swap", true, "F/item", "rm F/item, ln O/item F/item", "clear F"},
	{"clear_folder_deleted", true, "F", "rm F", "none"},
	{"clear_item_folder_symlink_swap", true, "F/item", "mv F moved, ln O F", "none"},
};

// Runs the race's steps; the tree as they left it.
std::map<std::string, Xattrs> RunSteps(const std::string& at, std::string steps)
{
	std::replace(steps.begin(), steps.end(), ',', ' ');
	std::istringstream in(steps);
	for (std::string verb, a, b; in >> verb >> a && (verb == "rm" || in >> b);) {
		if (verb == "rm")
			fs::remove_all(at + "/" + a);
		else if (verb == "mv")
			fs::rename(at + "/" + a, at + "/" + b);
		else
			fs::create_symlink(at + "/" + a, at + "/" + b);
	}
	return Tree(at);
}

// What a race's checks found wrong, or nothing; expected is the tree as the steps left it.
std::string Wrong(const Race& race, const std::string& at, std::map<std::string, Xattrs> expected,
	const std::string& printed)
{
	std::string wrong = printed.empty() ? "" : "printed \"" + printed + "\"; ";
	std::istringstream change(race.change);
	std::string verb, path;
	change >> verb >> path;
	Bytes itemIcon = verb == "link" ? TrackerIcon(at + "/F/item", 16) : Bytes(256, kItemColour);
	if (itemIcon.size() != 256 || itemIcon == Bytes(256, kTargetColour))
		wrong += "the link shows the icon of what it names; ";
	Xattrs icons = Composed(itemIcon, Stored("ICON", Bytes(1024, kFolderLarge)),
		Stored("MICN", Bytes(256, kFolderMini)));
	for (const char* name : {kLargeIconAttr, kMiniIconAttr}) {
		if (verb == "clear")
			expected.at(path).erase(name);
		else if (verb != "none")
			expected.at(path)[name] = icons[name];
	}
	return Tree(at) == expected ? wrong : wrong + "the folders are not as the rule says; ";
}

}  // namespace

// Each race runs on fresh folders 50 times; every try must come out as the rule says.
// Records how often each was tried and how often it came out so.
TEST(DropRace, EachRaceBeforeTheDropComesOutAsItsRuleSays)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	app_test::AppRunner app;
	const int tries = 50;
	for (size_t row = 0, number = 0; row < sizeof(kRaces) / sizeof(kRaces[0]); row++) {
		const Race& race = kRaces[row];
		int sound = 0;
		std::string wrongs;
		for (int i = 0; i < tries; i++) {
			std::string at = MakeTry(dir, number++);
			std::map<std::string, Xattrs> steps;
			std::string printed = Drop(app, race.clear ? kClearBox : kSetBox,
				DragOf(at + "/" + race.dropped), [&] { steps = RunSteps(at, race.steps); });
			std::string wrong = Wrong(race, at, steps, printed);
			sound += wrong.empty();
			wrongs += wrong.empty() ? "" : "try " + std::to_string(i) + ": " + wrong;
		}
		EXPECT_EQ(sound, tries) << race.name << ": " << wrongs.substr(0, 300);
		RecordFigure(std::string("fault.") + race.name + ".tries", tries);
		RecordFigure(std::string("fault.") + race.name + ".sound", sound);
		RecordFigure(std::string("fault.") + race.name + ".outcome",
			sound < tries ? "unsound" : race.change);
	}
}

// The swap races the drop's handling instead of coming before it: whichever step it falls
// between, the other folder, which was never dragged from, is never written.
TEST(DropRace, FolderSwappedWhileTheDropIsHandledNeverSetsTheOtherFolder)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	app_test::AppRunner app;
	std::string at = MakeTry(dir, 0), folder = at + "/F", other = at + "/O", moved = at + "/moved";
	Xattrs otherBefore = AllXattrs(other);
	BMessage drag = DragOf(folder + "/item");
	std::atomic<bool> stop(false);
	// Each turn of four ends with both folders back at their names.
	const std::string turn[4][2] = {
		{folder, moved}, {other, folder}, {folder, other}, {moved, folder}};
	std::thread swapper([&] {
		for (int i = 0; !stop || i % 4 != 0; i++)
			rename(turn[i % 4][0].c_str(), turn[i % 4][1].c_str());
	});
	const int drops = 2000;
	for (int i = 0; i < drops; i++)
		Drop(app, kSetBox, drag);
	stop = true;
	swapper.join();
	bool written = AllXattrs(other) != otherBefore;
	EXPECT_FALSE(written) << "in " << drops << " drops";
	RecordFigure("fault.folder_swap_racing.drops", drops);
	RecordFigure("fault.folder_swap_racing.other_folder_written", written);
}
