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
	CFileDropBoxTest()
		:
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

TEST_F(CFileDropBoxTest, DragWithRefsPressesOnEnteringAndFlattensOnLeaving)
{
	BMessage drag = FileDrag();
	ASSERT_TRUE(drag.HasRef("refs"));
	fHarness.Host().InjectDragMotion(fHarness.Id(), fHarness.Inside(), drag);
	ExpectBoxLook(kPressed);
	fHarness.Host().InjectDragMotion(fHarness.Id(), fHarness.Outside(), drag);
	ExpectBoxLook(kFlatEnabled);
}

TEST_F(CFileDropBoxTest, DragLeavingTheWindowFlattensTheBox)
{
	fHarness.Host().InjectDragMotion(fHarness.Id(), fHarness.Inside(), FileDrag());
	fHarness.Host().InjectDragExit(fHarness.Id());
	ExpectBoxLook(kFlatEnabled);
}

TEST_F(CFileDropBoxTest, TextDragLeavesTheBoxFlat)
{
	fHarness.Host().InjectDragMotion(fHarness.Id(), fHarness.Inside(),
		platform::HeadlessHost::TextDragMessage("hello"));
	ExpectBoxLook(kFlatEnabled);
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
	fHarness.Host().InjectDrop(fHarness.Id(), fHarness.Inside(),
		platform::HeadlessHost::TextDragMessage("hello"));
	fHarness.Idle();
	std::vector<BMessage> received = fHarness.parentLog.Messages();
	ASSERT_EQ(received.size(), 1u);
	EXPECT_TRUE(received[0].HasInt32("FileDropID"));
	EXPECT_FALSE(received[0].HasRef("refs"));
}

TEST_F(CFileDropBoxTest, ClicksAndPlainMovesChangeNothingAndSendNothing)
{
	fHarness.Host().InjectMouseMove(fHarness.Id(), fHarness.Inside());
	fHarness.Host().InjectClick(fHarness.Id(), fHarness.Inside());
	ExpectBoxLook(kFlatEnabled);
	EXPECT_TRUE(fHarness.windowLog.Messages().empty());
	EXPECT_TRUE(fHarness.parentLog.Messages().empty());
}

TEST_F(CFileDropBoxTest, DisabledBoxStillPressesUnderADragWithRefs)
{
	fHarness.OnWindowThread(
		[&] { static_cast<BControl*>(fHarness.Control())->SetEnabled(false); });
	fHarness.Host().InjectDragMotion(fHarness.Id(), fHarness.Inside(), FileDrag());
	ExpectBoxLook(kPressed);
}
