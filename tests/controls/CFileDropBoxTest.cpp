#include <gtest/gtest.h>

#include <Entry.h>

#include "CFileDropBox.h"
#include "ControlHarness.h"
#include "TestSupport.h"

using namespace control_test;
using platform::HeadlessHost;

// A drag with refs presses the box (a disabled one too) while over it; nothing else does,
// and nothing is handed on before the drop.
TEST(CFileDropBox, OnlyADragWithRefsOverTheBoxPressesIt)
{
	static const struct {
		const char* script;
		bool disabled;
		Look look;
	} kScripts[] = {
		{"drag in", false, kPressed},
		{"drag in; drag out", false, kFlatEnabled},
		{"drag in; exit in", false, kFlatEnabled},
		{"text in", false, kFlatEnabled},
		{"move in; click in", false, kFlatEnabled},
		{"drag in", true, kPressed},
	};
	testing_support::TempDir dir;
	BMessage drag = HeadlessHost::DragMessageFromPaths({dir.Make("dropped.txt")});
	ASSERT_TRUE(drag.HasRef("refs"));
	for (size_t row = 0; row < std::size(kScripts); row++) {
		ControlHarness harness(new CFileDropBox(kControlFrame, "SetBox", "Set icon", 3));
		if (kScripts[row].disabled)
			harness.OnWindowThread([&] { harness.Control()->SetEnabled(false); });
		harness.Play(kScripts[row].script, drag);
		harness.Idle();
		EXPECT_EQ(LookProblems(harness.ControlPixels(), kScripts[row].look), "")
			<< "row " << row << ": " << kScripts[row].script;
		EXPECT_TRUE(harness.Received().empty()) << "row " << row;
	}
}

// What the drag carried, with the box's name and its id after any id the drag had.
TEST(CFileDropBox, DropFlattensTheBoxAndIsHandedOnTaggedWithTheBoxAndItsId)
{
	testing_support::TempDir dir;
	std::string file = dir.Make("dropped.txt");
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(file.c_str(), &ref), B_OK);
	static const struct {
		bool file;
		std::vector<int32> ids;  // the drag's, then what the parent finds
	} kDrops[] = {
		{true, {3}},
		{true, {7, 3}},
		{false, {3}},
	};
	for (size_t row = 0; row < std::size(kDrops); row++) {
		ControlHarness harness(new CFileDropBox(kControlFrame, "SetBox", "Set icon", 3));
		BMessage drag = kDrops[row].file ? HeadlessHost::DragMessageFromPaths({file})
										 : HeadlessHost::TextDragMessage("hello");
		for (size_t i = 0; i + 1 < kDrops[row].ids.size(); i++)
			drag.AddInt32("FileDropID", kDrops[row].ids[i]);
		harness.Play("drag in", drag);
		harness.Host().InjectDrop(harness.Id(), kInside, drag);
		harness.Idle();
		EXPECT_EQ(LookProblems(harness.ControlPixels(), kFlatEnabled), "") << "row " << row;
		std::vector<BMessage> received = harness.Received();
		ASSERT_EQ(received.size(), 1u) << "row " << row;
		EXPECT_TRUE(received[0].WasDropped()) << "row " << row;
		const char* name = NULL;
		received[0].FindString("FileDropName", &name);
		EXPECT_STREQ(name, "SetBox") << "row " << row;
		std::vector<int32> ids;
		for (int32 id = 0; received[0].FindInt32("FileDropID", int32(ids.size()), &id) == B_OK;)
			ids.push_back(id);
		EXPECT_EQ(ids, kDrops[row].ids) << "row " << row;
		entry_ref found;
		EXPECT_EQ(received[0].FindRef("refs", &found) == B_OK && found == ref, kDrops[row].file)
			<< "row " << row;
	}
}
