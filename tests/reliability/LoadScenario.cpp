#include "LoadScenario.h"

#include <gtest/gtest.h>

#include <GraphicsDefs.h>

#include <stdio.h>
#include <sys/stat.h>

#include <algorithm>

#include "FaultSupport.h"
#include "IconCompositing.h"
#include "TestSupport.h"
#include "host/headless/HeadlessHost.h"

using fault_test::kLargeAttr;
using fault_test::kMiniAttr;
using fault_test::Stored;

namespace load_test {

namespace {

const int kItems = 3;
const uint8_t kItemColours[2][kItems] = {{0x23, 0x7C, 0xB4}, {0x3F, 0x88, 0xD2}};
const uint8_t kStartColours[2][2] = {{0x05, 0x06}, {0x0A, 0x0B}};  // F, G: large, mini

// Three shapes that overlap in part, each showing at full and at half size.
bool Opaque(int shape, int y, int x)
{
	switch (shape) {
		case 0:
			return y < 6 || x < 2;
		case 1:
			return x < 8 && y >= 4;
		default:
			return (y / 2 + x / 2) % 2 == 0;
	}
}

Bytes ItemIcon(int family, int item)
{
	Bytes icon(16 * 16, B_TRANSPARENT_8_BIT);
	for (int y = 0; y < 16; y++)
		for (int x = 0; x < 16; x++)
			if (Opaque(item, y, x))
				icon[y * 16 + x] = kItemColours[family][item];
	return icon;
}

// Points inside each box, its edges' neighbours included.
BPoint DropPoint(bool set, long turn)
{
	static const BPoint kOnSetBox[] = {
		BPoint(140, 35), BPoint(101, 11), BPoint(179, 59), BPoint(120, 50)};
	BPoint where = kOnSetBox[turn % 4];
	return set ? where : where + BPoint(90, 0);
}

BMessage DragOf(const std::string& path)
{
	BMessage drag = platform::HeadlessHost::DragMessageFromPaths({path});
	EXPECT_TRUE(drag.HasRef("refs")) << path << " makes no ref";
	return drag;
}

}  // namespace

LoadScenario::LoadScenario(const std::string& root, int units) :
	fNext(0),
	fSetDrops(0),
	fClearDrops(0),
	fUnobservable(0)
{
	std::string base = root + "/base";
	mkdir(base.c_str(), 0755);
	fBaseLarge = fault_test::TrackerIcon(base, 32);
	fBaseMini = fault_test::TrackerIcon(base, 16);
	EXPECT_EQ(fBaseLarge.size(), 32u * 32u) << "a folder shows no icon";
	EXPECT_EQ(fBaseMini.size(), 16u * 16u);
	fUnits.resize(units);
	for (int i = 0; i < units; i++)
		MakeUnit(root, i);
}

LoadScenario::Drop LoadScenario::Next()
{
	Unit& unit = fUnits[fNext % fUnits.size()];
	bool set = fNext % 2 == 0;
	int item = (unit.done / 2) % kItems;
	Action action = ChooseAction(unit, set);
	Node& node = action == kSetFileOnG || action == kClearG ? unit.g : unit.f;
	node = After(unit, action, item);
	if (set)
		unit.lastSetOnG = action == kSetFileOnG;

	Drop drop;
	drop.where = DropPoint(set, fNext / 2);
	drop.drag = DragFor(unit, action, item, (unit.done / 4) % 2);
	drop.set = set;
	(set ? fSetDrops : fClearDrops)++;
	unit.done++;
	fNext++;
	return drop;
}

std::string LoadScenario::Mismatches() const
{
	std::string found;
	int count = 0;
	for (const Unit& unit : fUnits) {
		for (const Node* node : {&unit.f, &unit.g}) {
			std::string wrong = Mismatch(*node);
			if (!wrong.empty() && ++count <= 3)
				found += wrong;
		}
	}
	return count == 0 ? found : std::to_string(count) + " folders wrong: " + found;
}

void LoadScenario::MakeUnit(const std::string& root, int number)
{
	Unit& unit = fUnits[number];
	unit.f.path = root + "/unit" + std::to_string(number);
	unit.g.path = unit.f.path + "/G";
	bool ok = mkdir(unit.f.path.c_str(), 0755) == 0 && mkdir(unit.g.path.c_str(), 0755) == 0;
	Node* nodes[2] = {&unit.f, &unit.g};
	BMessage* files[2] = {unit.fFiles, unit.gFiles};
	for (int family = 0; family < 2; family++) {
		Node& node = *nodes[family];
		node.large = Bytes(32 * 32, kStartColours[family][0]);
		node.mini = Bytes(16 * 16, kStartColours[family][1]);
		ok = ok && testing_support::SetXattr(node.path, kLargeAttr, Stored("ICON", node.large))
			&& testing_support::SetXattr(node.path, kMiniAttr, Stored("MICN", node.mini));
		for (int item = 0; item < kItems; item++) {
			std::string path = node.path + "/item" + std::to_string(item);
			FILE* file = fopen(path.c_str(), "w");
			ok = ok && file != NULL && fclose(file) == 0
				&& testing_support::SetXattr(
					path, kMiniAttr, Stored("MICN", ItemIcon(family, item)));
			files[family][item] = DragOf(path);
		}
	}
	unit.fDrag = DragOf(unit.f.path);
	unit.gDrag = DragOf(unit.g.path);
	EXPECT_TRUE(ok) << "cannot make " << unit.f.path;
}

// The first action in the unit's turn that changes a folder. A Set goes to a folder without
// own icons where there is one, and round the three kinds; a Clear takes the folder that the
// unit's last Set left alone where it can. So what a Set made survives the Clear that follows
// it, and a Set after a Clear starts from what the Clear left.
LoadScenario::Action LoadScenario::ChooseAction(const Unit& unit, bool set) const
{
	static const Action kSets[] = {kSetGOnF, kSetFileOnF, kSetFileOnG};
	int item = (unit.done / 2) % kItems;
	std::vector<Action> order;
	if (set) {
		for (int i = 0; i < 3; i++)
			order.push_back(kSets[(unit.done / 2 + i) % 3]);
		std::stable_partition(order.begin(), order.end(),
			[&](Action action) { return !(action == kSetFileOnG ? unit.g : unit.f).own; });
	} else {
		order = unit.lastSetOnG ? std::vector<Action>{kClearF, kClearG}
								: std::vector<Action>{kClearG, kClearF};
	}
	for (Action action : order) {
		const Node& now = action == kSetFileOnG || action == kClearG ? unit.g : unit.f;
		Node after = After(unit, action, item);
		if (after.own != now.own || after.large != now.large || after.mini != now.mini)
			return action;
	}
	const_cast<LoadScenario*>(this)->fUnobservable++;
	return order.front();
}

LoadScenario::Node LoadScenario::After(const Unit& unit, Action action, int item) const
{
	if (action == kClearF || action == kClearG) {
		Node cleared;
		cleared.path = (action == kClearF ? unit.f : unit.g).path;
		cleared.own = false;
		return cleared;
	}
	Node node = action == kSetFileOnG ? unit.g : unit.f;
	Bytes icon =
		action == kSetGOnF ? MiniShown(unit.g) : ItemIcon(action == kSetFileOnG ? 1 : 0, item);
	if (!node.own) {
		node.large = fBaseLarge;
		node.mini = fBaseMini;
		node.own = true;
	}
	ComposeLargeIcon(icon.data(), node.large.data(), B_TRANSPARENT_8_BIT);
	ComposeMiniIcon(icon.data(), node.mini.data(), B_TRANSPARENT_8_BIT);
	return node;
}

// A Clear icon drops the folder itself, or a file in it, by turns.
const BMessage* LoadScenario::DragFor(const Unit& unit, Action action, int item, int variant) const
{
	switch (action) {
		case kSetFileOnF:
			return &unit.fFiles[item];
		case kSetFileOnG:
			return &unit.gFiles[item];
		case kSetGOnF:
			return &unit.gDrag;
		case kClearF:
			return variant == 0 ? &unit.fDrag : &unit.fFiles[item];
		default:
			return variant == 0 ? &unit.gDrag : &unit.gFiles[item];
	}
}

Bytes LoadScenario::MiniShown(const Node& node) const
{
	return node.own ? node.mini : fBaseMini;
}

std::string LoadScenario::Mismatch(const Node& node) const
{
	Bytes large, mini;
	bool hasLarge = testing_support::GetXattr(node.path, kLargeAttr, &large);
	bool hasMini = testing_support::GetXattr(node.path, kMiniAttr, &mini);
	if (node.own ? large == Stored("ICON", node.large) && mini == Stored("MICN", node.mini)
				 : !hasLarge && !hasMini)
		return "";
	return node.path + (node.own ? " lacks the composed icons; " : " keeps own icons; ");
}

}  // namespace load_test
