#include <gtest/gtest.h>

#include <Entry.h>

#include <string.h>

#include "CFileDropBox.h"
#include "ControlHarness.h"
#include "TestSupport.h"

using namespace control_test;

// A drag with refs presses the box (a disabled one too) while over it, and nothing else does.
// A drop flattens it and is handed on to the parent, tagged with the box's name and with its
// id after any id the drag had; nothing else is handed on.
TEST(CFileDropBox, OnlyADragWithRefsPressesItAndADropIsHandedOnTagged)
{
	static const struct {
		const char* script;
		bool disabled;
		Look look;
		std::vector<int32> ids;  // the drag's own, then the box's; empty: nothing handed on
	} kScripts[] = {
		{"drag in", false, kPressed, {}},
		{"drag in; drag out", false, kFlatEnabled, {}},
		{"drag in; exit in", false, kFlatEnabled, {}},
		{"text in", false, kFlatEnabled, {}},
		{"move in; click in", false, kFlatEnabled, {}},
		{"drag in", true, kPressed, {}},
		{"drag in; drop in", false, kFlatEnabled, {3}},
		{"drag in; drop in", false, kFlatEnabled, {7, 3}},
		{"text in; droptext in", false, kFlatEnabled, {3}},
	};
	testing_support::TempDir dir;
	std::string file = dir.Make("dropped.txt");
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(file.c_str(), &ref), B_OK);
	for (size_t row = 0; row < std::size(kScripts); row++) {
		const auto& test = kScripts[row];
		SCOPED_TRACE(testing::Message() << "row " << row << ": " << test.script);
		ControlHarness harness(new CFileDropBox(kControlFrame, "SetBox", "Set icon", 3));
		if (test.disabled)
			harness.OnWindowThread([&] { harness.Control()->SetEnabled(false); });
		BMessage drag = platform::HeadlessHost::DragMessageFromPaths({file});
		for (size_t i = 0; i + 1 < test.ids.size(); i++)
			drag.AddInt32("FileDropID", test.ids[i]);
		harness.Play(test.script, drag);
		harness.Idle();
		EXPECT_EQ(LookProblems(harness.ControlPixels(), test.look), "");
		std::vector<BMessage> received = harness.Received();
		ASSERT_EQ(received.size(), test.ids.empty() ? 0u : 1u);
		if (received.empty())
			continue;
		EXPECT_TRUE(received[0].WasDropped());
		const char* name = NULL;
		received[0].FindString("FileDropName", &name);
		EXPECT_STREQ(name, "SetBox");
		std::vector<int32> ids;
		for (int32 id; received[0].FindInt32("FileDropID", int32(ids.size()), &id) == B_OK;)
			ids.push_back(id);
		EXPECT_EQ(ids, test.ids);
		entry_ref found;
		EXPECT_EQ(received[0].FindRef("refs", &found) == B_OK && found == ref,
			strstr(test.script, "text") == NULL);
	}
}
