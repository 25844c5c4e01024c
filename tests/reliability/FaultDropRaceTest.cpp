// The dropped item or its folder changes between the drag entering the window and the drop.
// The drag's ref names the item by its folder (device, inode and the path it was at) and its
// name, as the desktop made it when the drag began; what the drop then meets decides:
// - a ref whose folder is gone, renamed away or swapped for another folder or a link fails
//   every open, quietly: nothing is read, nothing written, nowhere;
// - an item whose name now holds a link is that link, never what it names;
// - a renamed folder is not looked for elsewhere: the ref's path is where its folder was,
//   and only the same directory object found there is acted on (through a link left at the
//   old name, say), because that is still the folder the item was dragged out of.
#include <gtest/gtest.h>

#include <Entry.h>
#include <Node.h>

#include <fcntl.h>
#include <stdio.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include "FaultSupport.h"
#include "TestSupport.h"

using namespace fault_test;
using testing_support::GetXattr;
using testing_support::RecordFigure;
using testing_support::SetXattr;
using testing_support::TempDir;

namespace {

const uint8_t kItemColour = 0x23;
const uint8_t kFolderLarge = 0x40, kFolderMini = 0x41;
const uint8_t kOtherLarge = 0x50, kOtherMini = 0x51;
const uint8_t kTargetColour = 0x60;
const uint8_t kParentLarge = 0x70, kParentMini = 0x71;

// Per try: parent/F/item, the dragged item in its folder, and parent/O/item, another folder
// with an item of the same name for a link to lead to. Every node has icons of its own.
struct Layout {
	std::string parent, folder, item, other, otherItem;
};

Layout MakeLayout(const TempDir& dir, int number)
{
	std::string at = "try" + std::to_string(number);
	Layout layout;
	layout.parent = dir.Make(at, true);
	layout.item = dir.Make(at + "/F/item");
	layout.folder = dir.Join(at + "/F");
	layout.otherItem = dir.Make(at + "/O/item");
	layout.other = dir.Join(at + "/O");
	bool ok = SetXattr(layout.parent, kLargeAttr, PlainLargeIcon(kParentLarge))
		&& SetXattr(layout.parent, kMiniAttr, PlainMiniIcon(kParentMini))
		&& SetXattr(layout.folder, kLargeAttr, PlainLargeIcon(kFolderLarge))
		&& SetXattr(layout.folder, kMiniAttr, PlainMiniIcon(kFolderMini))
		&& SetXattr(layout.folder, "user.note", Bytes{'F'})
		&& SetXattr(layout.item, kMiniAttr, PlainMiniIcon(kItemColour))
		&& SetXattr(layout.other, kLargeAttr, PlainLargeIcon(kOtherLarge))
		&& SetXattr(layout.other, kMiniAttr, PlainMiniIcon(kOtherMini))
		&& SetXattr(layout.otherItem, kMiniAttr, PlainMiniIcon(kTargetColour));
	EXPECT_TRUE(ok) << "cannot give " << at << " its icons";
	return layout;
}

void Move(const std::string& from, const std::string& to)
{
	EXPECT_EQ(rename(from.c_str(), to.c_str()), 0) << from;
}

// One race: what is dropped on which box, what changes meanwhile, and what must hold after.
// Paths are relative to the try's folder: F (the dragged item's folder), F/item, O, O/item;
// "." is that folder itself.
struct Race {
	const char* name;
	const char* outcome;
	bool clear;  // dropped on Clear icon, else on Set icon
	const char* dropped;  // F/item or F
	// Steps between the drag entering and the drop: "rm P", "rmtree P", "mv P Q", "ln P Q".
	const char* steps;
	// Pairs "before=after": the attributes P had before are what Q has after. "F-" is F
	// without its icons; "" ends the list.
	const char* same[4];
	const char* gone;  // a path that must not exist after, or NULL
	// Where a Set icon must have stored the composed icons, "folder:item" (the item's own
	// icon) or "folder:link" (the icon the link shows), or NULL.
	const char* setOnto;
};

const Race kRaces[] = {
	{"item_deleted", "nothing_done", false, "F/item", "rm F/item", {"F=F"}, NULL, NULL},
	{"item_renamed", "nothing_done", false, "F/item", "mv F/item F/renamed", {"F=F"}, NULL, NULL},
	{"item_symlink_swap", "link_icon_drawn", false, "F/item", "rm F/item; ln O/item F/item",
		{"O=O", "O/item=O/item"}, NULL, "F:link"},
	{"folder_deleted", "nothing_done", false, "F/item", "rmtree F", {".=."}, "F", NULL},
	{"folder_renamed", "nothing_done", false, "F/item", "mv F renamed", {"F=renamed"}, "F", NULL},
	{"folder_symlink_swap", "nothing_done", false, "F/item", "mv F moved; ln O F",
		{"F=moved", "O=O", "O/item=O/item"}, NULL, NULL},
	{"folder_swap", "nothing_done", false, "F/item", "mv F moved; mv O F", {"F=moved", "O=F"}, NULL,
		NULL},
	{"folder_renamed_linked", "folder_set", false, "F/item", "mv F renamed; ln renamed F", {}, NULL,
		"renamed:item"},
	// A link holds no own icons, so clearing them succeeds without a line.
	{"clear_folder_symlink_swap", "link_holds_none", true, "F", "mv F moved; ln O F",
		{"O=O", "F=moved"}, NULL, NULL},
	{"clear_item_symlink_swap", "own_folder_cleared", true, "F/item", "rm F/item; ln O/item F/item",
		{"F-=F", "O=O"}, NULL, NULL},
	{"clear_folder_deleted", "nothing_done", true, "F", "rmtree F", {".=."}, NULL, NULL},
	{"clear_item_folder_symlink_swap", "nothing_done", true, "F/item", "mv F moved; ln O F",
		{"O=O", "F=moved"}, NULL, NULL},
};

void RunSteps(const std::string& at, const std::string& steps)
{
	std::istringstream in(steps);
	std::string step;
	while (std::getline(in, step, ';')) {
		std::istringstream words(step);
		std::string verb, a, b;
		words >> verb >> a >> b;
		if (verb == "rm")
			unlink((at + "/" + a).c_str());
		else if (verb == "rmtree")
			std::filesystem::remove_all(at + "/" + a);
		else if (verb == "mv")
			Move(at + "/" + a, at + "/" + b);
		else if (verb == "ln") {
			EXPECT_EQ(symlink((at + "/" + a).c_str(), (at + "/" + b).c_str()), 0) << b;
		}
	}
}

// What a race's checks found wrong, or nothing.
std::string Wrong(const Race& race, const Layout& layout,
	const std::map<std::string, Xattrs>& before, const std::string& printed)
{
	const std::string& at = layout.parent;
	std::string wrong;
	if (!printed.empty())
		wrong += "printed \"" + printed + "\"; ";
	for (const char* pair : race.same) {
		if (pair == NULL || *pair == '\0')
			break;
		std::string text(pair);
		std::string from = text.substr(0, text.find('=')), to = text.substr(text.find('=') + 1);
		Xattrs expected = before.at(from == "F-" ? "F" : from);
		if (from == "F-") {
			expected.erase(kLargeAttr);
			expected.erase(kMiniAttr);
		}
		if (AllXattrs(at + "/" + to) != expected)
			wrong += "the attributes of " + to + " are not those " + from + " had; ";
	}
	std::error_code ignored;
	if (race.gone != NULL
		&& std::filesystem::symlink_status(at + "/" + race.gone, ignored).type()
			!= std::filesystem::file_type::not_found)
		wrong += std::string(race.gone) + " is there again; ";
	if (race.setOnto != NULL) {
		std::string text(race.setOnto);
		std::string folder = at + "/" + text.substr(0, text.find(':'));
		Bytes itemIcon(256, kItemColour);
		if (text.substr(text.find(':') + 1) == "link") {
			itemIcon = TrackerIcon(layout.item, 16);
			if (itemIcon.size() != 256 || itemIcon == Bytes(256, kTargetColour))
				wrong += "the link shows the icon of what it names; ";
		}
		Bytes large, mini, storedLarge, storedMini;
		ComposedIcons(
			itemIcon, Bytes(32 * 32, kFolderLarge), Bytes(16 * 16, kFolderMini), &large, &mini);
		GetXattr(folder, kLargeAttr, &storedLarge);
		GetXattr(folder, kMiniAttr, &storedMini);
		if (storedLarge != Stored("ICON", large) || storedMini != Stored("MICN", mini))
			wrong += folder + " does not hold the composed icons; ";
	}
	return wrong;
}

class DropRace : public ::testing::Test {
protected:
	void SetUp() override { SKIP_WITHOUT_XATTRS(fDir.Path()); }

	TempDir fDir;
	FaultWindow fWindow;
};

}  // namespace

// Each race runs on fresh folders VELLUMARK_FAULT_TRIES times; every try must come out as
// the rule says. Records how often each was tried and how often it came out so.
TEST_F(DropRace, EachRaceBeforeTheDropComesOutAsItsRuleSays)
{
	int tries = CountFromEnvironment("VELLUMARK_FAULT_TRIES", 50), number = 0;
	for (size_t row = 0; row < sizeof(kRaces) / sizeof(kRaces[0]); row++) {
		const Race& race = kRaces[row];
		int sound = 0;
		std::string firstWrong;
		for (int i = 0; i < tries; i++) {
			Layout layout = MakeLayout(fDir, number++);
			std::map<std::string, Xattrs> before;
			for (const char* path : {".", "F", "O", "O/item"})
				before[path] = AllXattrs(layout.parent + "/" + path);
			std::string printed = fWindow.DropPath(race.clear ? kClearBox : kSetBox,
				layout.parent + "/" + race.dropped, [&] { RunSteps(layout.parent, race.steps); });
			std::string wrong = Wrong(race, layout, before, printed);
			if (wrong.empty())
				sound++;
			else if (firstWrong.empty())
				firstWrong = "try " + std::to_string(i) + ": " + wrong;
		}
		EXPECT_EQ(sound, tries) << "row " << row << " (" << race.name << "): " << firstWrong;
		std::string figure = std::string("fault.") + race.name;
		RecordFigure(figure + ".tries", tries);
		RecordFigure(figure + ".sound", sound);
		RecordFigure(figure + ".outcome", sound == tries ? race.outcome : "unsound");
	}
}

// The swap races the drop's handling instead of coming before it: whichever step it falls
// between, the other folder, which was never dragged from, is never written.
TEST_F(DropRace, FolderSwappedWhileTheDropIsHandledNeverSetsTheOtherFolder)
{
	Layout at = MakeLayout(fDir, 0);
	// Looked at through its own descriptor: a path may name either folder meanwhile.
	int otherFd = open(at.other.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	ASSERT_GE(otherFd, 0);
	std::string otherNode = "/proc/self/fd/" + std::to_string(otherFd);
	Xattrs other = AllXattrs(otherNode, true);
	std::string moved = at.parent + "/moved";
	BMessage drag = platform::HeadlessHost::DragMessageFromPaths({at.item});
	std::atomic<bool> stop(false);
	std::thread swapper([&] {
		while (!stop) {
			rename(at.folder.c_str(), moved.c_str());
			rename(at.other.c_str(), at.folder.c_str());
			rename(at.folder.c_str(), at.other.c_str());
			rename(moved.c_str(), at.folder.c_str());
		}
	});
	int drops = CountFromEnvironment("VELLUMARK_FAULT_RACING_DROPS", 2000), written = 0;
	for (int i = 0; i < drops; i++) {
		fWindow.DragAndDrop(kSetBox, drag);
		if (AllXattrs(otherNode, true) != other) {
			written++;
			for (const auto& [name, value] : other)
				setxattr(otherNode.c_str(), name.c_str(), value.data(), value.size(), 0);
		}
	}
	stop = true;
	swapper.join();
	close(otherFd);
	EXPECT_EQ(written, 0) << "of " << drops << " drops";
	RecordFigure("fault.folder_swap_racing.drops", drops);
	RecordFigure("fault.folder_swap_racing.other_folder_written", written);
}

// What closes the race above, step by step: the parent found for the item is that folder,
// and opening it once another folder has taken its name fails.
TEST(ParentEntry, OpensOnlyTheFolderItWasFoundToBe)
{
	TempDir dir;
	std::string item = dir.Make("folder/item");
	dir.Make("other", true);
	BEntry parent(item.c_str());
	ASSERT_EQ(parent.GetParent(&parent), B_OK);
	Move(dir.Join("folder"), dir.Join("moved"));
	Move(dir.Join("other"), dir.Join("folder"));
	BNode node;
	EXPECT_NE(node.SetTo(&parent), B_OK);
	Move(dir.Join("folder"), dir.Join("other"));
	Move(dir.Join("moved"), dir.Join("folder"));
	EXPECT_EQ(node.SetTo(&parent), B_OK) << "the folder itself, back at its name";
}
