#include <gtest/gtest.h>

#include <Entry.h>
#include <Message.h>

#include "CFileDropBox.h"
#include "ControlHarness.h"
#include "TestSupport.h"

using namespace control_test;

namespace {

class CFileDropBoxTest : public ::testing::Test {
protected:
	CFileDropBoxTest() :
		fFile(fDir.Make("dropped.txt")),
		fHarness(new CFileDropBox(kControlFrame, "SetBox", "Set icon", 0))
	{
	}

	void ExpectBoxLook(Look look)
	{
		fHarness.Idle();
		EXPECT_EQ(LookProblems(fHarness.ControlPixels(), look), "");
	}

	BMessage FileDrag() const { return platform::HeadlessHost::DragMessageFromPaths({fFile}); }

	testing_support::TempDir fDir;
	std::string fFile;
	ControlHarness fHarness;
};

}  // namespace

// A drag with refs presses the box (also a disabled one) while over it; nothing else does.
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
	BMessage drag = platform::HeadlessHost::DragMessageFromPaths({dir.Make("dropped.txt")});
	ASSERT_TRUE(drag.HasRef("refs"));
	for (size_t row = 0; row < sizeof(kScripts) / sizeof(kScripts[0]); row++) {
		ControlHarness harness(new CFileDropBox(kControlFrame, "SetBox", "Set icon", 0));
		if (kScripts[row].disabled)
			harness.OnWindowThread(
				[&] { static_cast<BControl*>(harness.Control())->SetEnabled(false); });
		harness.Play(kScripts[row].script, drag);
		harness.Idle();
		EXPECT_EQ(LookProblems(harness.ControlPixels(), kScripts[row].look), "")
			<< "row " << row << ": " << kScripts[row].script;
		EXPECT_TRUE(harness.windowLog.Messages().empty()) << "row " << row;
		EXPECT_TRUE(harness.parentLog.Messages().empty()) << "row " << row;
	}
}

TEST_F(CFileDropBoxTest, DropFlattensTheBoxAndTagsTheMessageForTheParent)
{
	BMessage drag = FileDrag();
	fHarness.Host().InjectDragMotion(fHarness.Id(), fHarness.Inside(), drag);
	fHarness.Host().InjectDrop(fHarness.Id(), fHarness.Inside(), drag);
	ExpectBoxLook(kFlatEnabled);

	std::vector<BMessage> received = fHarness.parentLog.Messages();
	ASSERT_EQ(received.size(), 1u);
	const BMessage& dropped = received[0];
	EXPECT_TRUE(dropped.WasDropped());
	const char* name = NULL;
	ASSERT_EQ(dropped.FindString("FileDropName", &name), B_OK);
	EXPECT_STREQ(name, "SetBox");
	int32 id = -1;
	ASSERT_EQ(dropped.FindInt32("FileDropID", &id), B_OK);
	EXPECT_EQ(id, 0);
	entry_ref ref, expected;
	ASSERT_EQ(dropped.FindRef("refs", &ref), B_OK);
	get_ref_for_path(fFile.c_str(), &expected);
	EXPECT_EQ(ref, expected);
}

TEST_F(CFileDropBoxTest, ExistingFileDropIdStaysFirstAndTheBoxValueFollows)
{
	BMessage drag = FileDrag();
	drag.AddInt32("FileDropID", 7);
	fHarness.Host().InjectDrop(fHarness.Id(), fHarness.Inside(), drag);
	fHarness.Idle();
	std::vector<BMessage> received = fHarness.parentLog.Messages();
	ASSERT_EQ(received.size(), 1u);
	int32 first = -1, second = -1;
	EXPECT_EQ(received[0].FindInt32("FileDropID", 0, &first), B_OK);
	EXPECT_EQ(received[0].FindInt32("FileDropID", 1, &second), B_OK);
	EXPECT_EQ(first, 7);
	EXPECT_EQ(second, 0);
}

TEST_F(CFileDropBoxTest, DroppedTextIsTaggedAndPassedOnToo)
{
	fHarness.Host().InjectDrop(
		fHarness.Id(), fHarness.Inside(), platform::HeadlessHost::TextDragMessage("hello"));
	fHarness.Idle();
	std::vector<BMessage> received = fHarness.parentLog.Messages();
	ASSERT_EQ(received.size(), 1u);
	EXPECT_TRUE(received[0].HasInt32("FileDropID"));
	EXPECT_FALSE(received[0].HasRef("refs"));
}
