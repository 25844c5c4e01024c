#include <Entry.h>
#include <Message.h>

#include "app/MessageAccess.h"

#include <gtest/gtest.h>

namespace {

entry_ref MakeRef(const char* name, const char* directoryPath)
{
	entry_ref ref(7, 4242, name);
	ref.directory_path = directoryPath;
	return ref;
}

}  // namespace

TEST(BMessage, FindReadsTheItemAtTheIndexAndWritesNothingOnFailure)
{
	BMessage message('test');
	ASSERT_EQ(message.AddInt32("n", 10), B_OK);
	ASSERT_EQ(message.AddInt32("n", 20), B_OK);
	message.AddString("s", "text");
	int32 value = -1;
	EXPECT_EQ(message.FindInt32("n", 1, &value), B_OK);
	EXPECT_EQ(value, 20);
	EXPECT_EQ(message.FindInt32("n", &value), B_OK);
	EXPECT_EQ(value, 10);

	static const struct {
		const char* name;
		int32 index;
		status_t status;
	} kFailures[] = {
		{"missing", 0, B_NAME_NOT_FOUND},
		{"s", 0, B_BAD_TYPE},
		{"n", 2, B_BAD_INDEX},
		{"n", -1, B_BAD_INDEX},
		{NULL, 0, B_BAD_VALUE},
	};
	for (size_t i = 0; i < sizeof(kFailures) / sizeof(kFailures[0]); i++) {
		value = 0x0BADF00D;
		EXPECT_EQ(
			message.FindInt32(kFailures[i].name, kFailures[i].index, &value), kFailures[i].status)
			<< "row " << i;
		EXPECT_EQ(value, 0x0BADF00D) << "row " << i;
	}
	const char* string = "marker";
	EXPECT_EQ(message.FindString("n", &string), B_BAD_TYPE);
	EXPECT_STREQ(string, "marker");
	EXPECT_FALSE(message.HasInt32("n", 2));
	EXPECT_FALSE(message.HasRef("n"));
}

TEST(BMessage, AFieldKeepsItsTypeAndItsItemSize)
{
	BMessage message;
	ASSERT_EQ(message.AddInt32("field", 1), B_OK);
	EXPECT_EQ(message.AddString("field", "x"), B_BAD_TYPE);
	int32 count = 0;
	type_code type = 0;
	ASSERT_EQ(message.GetInfo("field", &type, &count), B_OK);
	EXPECT_EQ(type, (type_code)B_INT32_TYPE);
	EXPECT_EQ(count, 1);

	int32 four = 4;
	int16 two = 2;
	ASSERT_EQ(message.AddData("raw", 'RAW4', &four, sizeof(four)), B_OK);
	EXPECT_EQ(message.AddData("raw", 'RAW4', &two, sizeof(two)), B_BAD_VALUE);
	EXPECT_EQ(message.AddData("n", B_INT32_TYPE, &two, sizeof(two)), B_BAD_VALUE);
	EXPECT_FALSE(message.HasInt32("n"));
}

TEST(BMessage, PointsAndPointersComeBackAsAdded)
{
	BMessage message;
	message.AddPoint("p", BPoint(3, 4));
	message.AddPointer("ptr", &message);
	BPoint p;
	void* ptr = NULL;
	EXPECT_EQ(message.FindPoint("p", &p), B_OK);
	EXPECT_EQ(message.FindPointer("ptr", &ptr), B_OK);
	EXPECT_EQ(p, BPoint(3, 4));
	EXPECT_EQ(ptr, &message);
}

TEST(BMessage, RefKeepsEveryMemberIncludingTheDirectoryPath)
{
	BMessage message(B_SIMPLE_DATA);
	entry_ref ref = MakeRef("file name.txt", "/tmp/some dir");
	ASSERT_EQ(message.AddRef("refs", &ref), B_OK);
	entry_ref found;
	ASSERT_EQ(message.FindRef("refs", &found), B_OK);
	EXPECT_EQ(found, ref);
	EXPECT_EQ(found.device, ref.device);
	EXPECT_EQ(found.directory, ref.directory);
	EXPECT_STREQ(found.name, "file name.txt");
	EXPECT_EQ(found.directory_path, "/tmp/some dir");
}

TEST(BMessage, CopiesAreDeepAndIndependent)
{
	BMessage original('orig');
	entry_ref ref = MakeRef("a", "/x");
	original.AddRef("refs", &ref);
	original.AddString("name", "first");

	BMessage copy(original);
	original = BMessage();
	original.AddString("name", "changed");

	entry_ref found;
	const char* name;
	EXPECT_EQ(copy.what, (uint32)'orig');
	ASSERT_EQ(copy.FindRef("refs", &found), B_OK);
	EXPECT_EQ(found.directory_path, "/x");
	ASSERT_EQ(copy.FindString("name", &name), B_OK);
	EXPECT_STREQ(name, "first");

	BMessage assigned;
	assigned.AddInt32("old", 1);
	assigned = copy;
	EXPECT_FALSE(assigned.HasInt32("old"));
	EXPECT_TRUE(assigned.HasRef("refs"));
}

TEST(BMessage, NestedMessageComesBackWhole)
{
	BMessage inner('innr');
	entry_ref ref = MakeRef("item", "/home/user");
	inner.AddRef("refs", &ref);
	inner.AddInt32("FileDropID", 2);
	BMessage outer('outr');
	ASSERT_EQ(outer.AddMessage("inner", &inner), B_OK);

	BMessage found;
	ASSERT_EQ(outer.FindMessage("inner", &found), B_OK);
	EXPECT_EQ(found.what, (uint32)'innr');
	entry_ref foundRef;
	ASSERT_EQ(found.FindRef("refs", &foundRef), B_OK);
	EXPECT_EQ(foundRef.directory_path, "/home/user");
	EXPECT_TRUE(found.HasInt32("FileDropID"));
}

TEST(BMessage, GetInfoByTypeEnumeratesFieldsInOrder)
{
	BMessage message;
	message.AddInt32("first", 1);
	message.AddString("text", "t");
	message.AddInt32("second", 2);
	message.AddInt32("second", 3);

	char* name = NULL;
	type_code type = 0;
	int32 count = 0;
	ASSERT_EQ(message.GetInfo(B_INT32_TYPE, 1, &name, &type, &count), B_OK);
	EXPECT_STREQ(name, "second");
	EXPECT_EQ(count, 2);
	ASSERT_EQ(message.GetInfo(B_ANY_TYPE, 1, &name, &type), B_OK);
	EXPECT_STREQ(name, "text");
	EXPECT_EQ(message.GetInfo(B_INT32_TYPE, 2, &name, &type), B_BAD_INDEX);
	EXPECT_EQ(message.GetInfo(B_REF_TYPE, 0, &name, &type), B_BAD_TYPE);
}

TEST(BMessage, DroppedFlagIsSetOnlyByThePlatformAndSurvivesCopies)
{
	BMessage message(B_SIMPLE_DATA);
	EXPECT_FALSE(message.WasDropped());
	platform::MessageAccess::SetDropped(&message, true, BPoint(12, 34));
	EXPECT_TRUE(message.WasDropped());
	EXPECT_EQ(message.DropPoint(), BPoint(12, 34));

	BMessage copy(message);
	BMessage assigned;
	assigned = message;
	EXPECT_TRUE(copy.WasDropped());
	EXPECT_TRUE(assigned.WasDropped());
	EXPECT_EQ(copy.DropPoint(), BPoint(12, 34));

	platform::MessageAccess::SetDropped(&message, false, BPoint());
	EXPECT_FALSE(message.WasDropped());
}

TEST(BMessage, NullArgumentsAreRejected)
{
	BMessage message;
	EXPECT_EQ(message.AddString(NULL, "x"), B_BAD_VALUE);
	EXPECT_EQ(message.AddString("x", NULL), B_BAD_VALUE);
	EXPECT_EQ(message.AddRef("refs", NULL), B_BAD_VALUE);
	EXPECT_EQ(message.AddMessage("m", NULL), B_BAD_VALUE);
	EXPECT_TRUE(message.IsEmpty());
}
