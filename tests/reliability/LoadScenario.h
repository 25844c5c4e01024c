#ifndef LOAD_SCENARIO_H
#define LOAD_SCENARIO_H

#include <Message.h>
#include <Point.h>

#include <string>
#include <vector>

#include "TestSupport.h"

// A long row of drops over real folders, and what each folder must hold after it.
//
// Units of two folders, F and its subfolder G, each holding three files whose own mini
// icons differ in colour and shape. Both folders start with own plain icons. A Set icon drops
// a file of F or of G, or G itself (whose mini icon, own or not, is then drawn over F's: what
// F gets depends on what was done to G before). A Clear icon drops F or G, or a file in it.
// Drops go to the units in turn; the unit count is odd, so that each unit sees Set and Clear
// alternate as the whole row does. Every drop is chosen so that it changes what its folder
// holds and so that the unit's next drop does not undo it: checked after every two turns of
// the units, a lost drop shows, and so does each swap of two drops that do not commute.
namespace load_test {

using testing_support::Bytes;

class LoadScenario {
public:
	struct Drop {
		BPoint where;  // on the Set icon or the Clear icon box
		const BMessage* drag;  // owned by the scenario
		bool set;
	};

	// Makes the folders under root; ADD_FAILUREs when they cannot be made.
	LoadScenario(const std::string& root, int units);

	int Folders() const { return 2 * int(fUnits.size()); }
	int SetDrops() const { return fSetDrops; }
	int ClearDrops() const { return fClearDrops; }
	// Drops that found their folder already as they would leave it: none by design.
	int Unobservable() const { return fUnobservable; }

	// The next drop of the row; what it leads to is taken as done.
	Drop Next();
	// Where a folder's icons differ from what the drops so far should have made them (the
	// first few), or empty.
	std::string Mismatches() const;

private:
	struct Node {
		std::string path;
		bool own = true;
		Bytes large, mini;
	};
	enum Action {
		kSetFileOnF,
		kSetFileOnG,
		kSetGOnF,
		kClearF,
		kClearG
	};
	struct Unit {
		Node f, g;
		BMessage fDrag, gDrag;
		BMessage fFiles[3], gFiles[3];
		int done = 0;
		bool lastSetOnG = false;
	};

	void MakeUnit(const std::string& root, int number);
	Action ChooseAction(const Unit& unit, bool set) const;
	Node After(const Unit& unit, Action action, int item) const;
	const BMessage* DragFor(const Unit& unit, Action action, int item, int variant) const;
	Bytes MiniShown(const Node& node) const;
	std::string Mismatch(const Node& node) const;

	Bytes fBaseLarge, fBaseMini;  // a folder's icons where it has none of its own
	std::vector<Unit> fUnits;
	long fNext;
	int fSetDrops, fClearDrops, fUnobservable;
};

}  // namespace load_test

#endif
