#include <Entry.h>
#include <Message.h>

#include "app/MessageAccess.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

entry_ref MakeRef(const char* name, const char* directoryPath)
{
	entry_ref ref(7, 4242, name);
	ref.directory_path = directoryPath;
	return ref;
}

}  // namespace

TEST(BMessage, FindInt32ReadsTheItemAtTheIndex)
{
	BMessage message('test');
	ASSERT_EQ(message.AddInt32("n", 10), B_OK);
	ASSERT_EQ(message.AddInt32("n", 20), B_OK);
	int32 value = -1;
	EXPECT_EQ(message.FindInt32("n", 1, &value), B_OK);
	EXPECT_EQ(value, 20);
	EXPECT_EQ(message.FindInt32("n", &value), B_OK);
	EXPECT_EQ(value, 10);
}

TEST(BMessage, FindLeavesTheOutputUntouchedOnFailure)
{
	BMessage message;
	message.AddInt32("n", 1);
	message.AddString("s", "text");
	int32 value = 0x0BADF00D;
	EXPECT_EQ(message.FindInt32("missing", &value), B_NAME_NOT_FOUND);
	EXPECT_EQ(message.FindInt32("s", &value), B_BAD_TYPE);
	EXPECT_EQ(message.FindInt32("n", 1, &value), B_BAD_INDEX);
	EXPECT_EQ(message.FindInt32("n", -1, &value), B_BAD_INDEX);
	EXPECT_EQ(value, 0x0BADF00D);
	const char* string = "marker";
	EXPECT_EQ(message.FindString("n", &string), B_BAD_TYPE);
	EXPECT_STREQ(string, "marker");
}

TEST(BMessage, AddingAnotherTypeUnderAnExistingNameFails)
{
	BMessage message;
	ASSERT_EQ(message.AddInt32("field", 1), B_OK);
	EXPECT_EQ(message.AddString("field", "x"), B_BAD_TYPE);
	int32 count = 0;
	type_code type = 0;
	ASSERT_EQ(message.GetInfo("field", &type, &count), B_OK);
	EXPECT_EQ(type, (type_code)B_INT32_TYPE);
	EXPECT_EQ(count, 1);
}

TEST(BMessage, HasChecksTypeAndIndex)
{
	BMessage message;
	message.AddInt32("FileDropID", 1);
	EXPECT_TRUE(message.HasInt32("FileDropID"));
	EXPECT_FALSE(message.HasInt32("FileDropID", 1));
	EXPECT_FALSE(message.HasString("FileDropID"));
	EXPECT_FALSE(message.HasRef("refs"));
}

TEST(BMessage, TypedValuesComeBackAsAdded)
{
	BMessage message;
	message.AddBool("b", true);
	message.AddInt8("i8", -8);
	message.AddInt16("i16", -1600);
	message.AddInt64("i64", -(1LL << 40));
	message.AddFloat("f", 1.5f);
	message.AddDouble("d", -2.25);
	message.AddPoint("p", BPoint(3, 4));
	message.AddRect("r", BRect(1, 2, 280, 70));
	message.AddPointer("ptr", &message);

	bool b = false;
	int8 i8 = 0;
	int16 i16 = 0;
	int64 i64 = 0;
	float f = 0;
	double d = 0;
	BPoint p;
	BRect r;
	void* ptr = NULL;
	EXPECT_EQ(message.FindBool("b", &b), B_OK);
	EXPECT_EQ(message.FindInt8("i8", &i8), B_OK);
	EXPECT_EQ(message.FindInt16("i16", &i16), B_OK);
	EXPECT_EQ(message.FindInt64("i64", &i64), B_OK);
	EXPECT_EQ(message.FindFloat("f", &f), B_OK);
	EXPECT_EQ(message.FindDouble("d", &d), B_OK);
	EXPECT_EQ(message.FindPoint("p", &p), B_OK);
	EXPECT_EQ(message.FindRect("r", &r), B_OK);
	EXPECT_EQ(message.FindPointer("ptr", &ptr), B_OK);
	EXPECT_TRUE(b);
	EXPECT_EQ(i8, -8);
	EXPECT_EQ(i16, -1600);
	EXPECT_EQ(i64, -(1LL << 40));
	EXPECT_EQ(f, 1.5f);
	EXPECT_EQ(d, -2.25);
	EXPECT_EQ(p, BPoint(3, 4));
	EXPECT_EQ(r, BRect(1, 2, 280, 70));
	EXPECT_EQ(ptr, &message);
}

TEST(BMessage, FixedSizeFieldRejectsAnItemOfAnotherSize)
{
	BMessage message;
	int32 four = 4;
	int16 two = 2;
	ASSERT_EQ(message.AddData("raw", 'RAW4', &four, sizeof(four)), B_OK);
	EXPECT_EQ(message.AddData("raw", 'RAW4', &two, sizeof(two)), B_BAD_VALUE);
	EXPECT_EQ(message.AddData("n", B_INT32_TYPE, &two, sizeof(two)), B_BAD_VALUE);
	EXPECT_FALSE(message.HasInt32("n"));
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
	original.MakeEmpty();
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
	EXPECT_EQ(message.CountNames(B_INT32_TYPE), 2);
	EXPECT_EQ(message.CountNames(B_ANY_TYPE), 3);
}

TEST(BMessage, RemovingTheLastItemRemovesTheField)
{
	BMessage message;
	message.AddInt32("n", 1);
	message.AddInt32("n", 2);
	ASSERT_EQ(message.RemoveData("n", 0), B_OK);
	int32 value;
	ASSERT_EQ(message.FindInt32("n", &value), B_OK);
	EXPECT_EQ(value, 2);
	EXPECT_EQ(message.RemoveData("n", 1), B_BAD_INDEX);
	ASSERT_EQ(message.RemoveData("n", 0), B_OK);
	EXPECT_EQ(message.GetInfo("n", NULL), B_NAME_NOT_FOUND);
	EXPECT_TRUE(message.IsEmpty());
	EXPECT_EQ(message.RemoveName("n"), B_NAME_NOT_FOUND);
}

TEST(BMessage, DroppedFlagIsSetOnlyByThePlatformAndSurvivesCopies)
{
	BMessage message(B_SIMPLE_DATA);
	EXPECT_FALSE(message.WasDropped());
	BPrivate::MessageAccess::SetDropped(&message, true, BPoint(12, 34));
	EXPECT_TRUE(message.WasDropped());
	EXPECT_EQ(message.DropPoint(), BPoint(12, 34));

	BMessage copy(message);
	BMessage assigned;
	assigned = message;
	EXPECT_TRUE(copy.WasDropped());
	EXPECT_TRUE(assigned.WasDropped());
	EXPECT_EQ(copy.DropPoint(), BPoint(12, 34));

	BPrivate::MessageAccess::SetDropped(&message, false, BPoint());
	EXPECT_FALSE(message.WasDropped());
}

TEST(BMessage, NullArgumentsAreRejected)
{
	BMessage message;
	EXPECT_EQ(message.AddString(NULL, "x"), B_BAD_VALUE);
	EXPECT_EQ(message.AddString("x", NULL), B_BAD_VALUE);
	EXPECT_EQ(message.AddRef("refs", NULL), B_BAD_VALUE);
	EXPECT_EQ(message.AddMessage("m", NULL), B_BAD_VALUE);
	EXPECT_EQ(message.FindInt32(NULL, (int32*)NULL), B_BAD_VALUE);
	EXPECT_TRUE(message.IsEmpty());
}
