#include <Entry.h>
#include <Message.h>

#include "app/MessageAccess.h"

#include <gtest/gtest.h>

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

TEST(BMessage, AFieldKeepsItsTypeAndItsItemSizeAndNullArgumentsAddNothing)
{
	BMessage message;
	EXPECT_EQ(message.AddString(NULL, "x"), B_BAD_VALUE);
	EXPECT_EQ(message.AddString("x", NULL), B_BAD_VALUE);
	EXPECT_EQ(message.AddRef("refs", NULL), B_BAD_VALUE);
	EXPECT_EQ(message.AddMessage("m", NULL), B_BAD_VALUE);
	EXPECT_TRUE(message.IsEmpty());
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

	// By type, in the order the fields were added.
	message.AddString("text", "t");
	message.AddInt32("second", 2);
	char* name = NULL;
	ASSERT_EQ(message.GetInfo(B_INT32_TYPE, 1, &name, &type, &count), B_OK);
	EXPECT_STREQ(name, "second");
	ASSERT_EQ(message.GetInfo(B_ANY_TYPE, 2, &name, &type), B_OK);
	EXPECT_STREQ(name, "text");
	EXPECT_EQ(message.GetInfo(B_INT32_TYPE, 2, &name, &type), B_BAD_INDEX);
	EXPECT_EQ(message.GetInfo(B_REF_TYPE, 0, &name, &type), B_BAD_TYPE);
}

// Every field and the drop state, with a ref's directory path and a nested message, come
// through copies and assignment intact and independent of the original.
TEST(BMessage, CopiesAreDeepWholeAndIndependent)
{
	BMessage original(B_SIMPLE_DATA);
	entry_ref ref(7, 4242, "file name.txt");
	ref.directory_path = "/tmp/some dir";
	original.AddRef("refs", &ref);
	original.AddString("name", "first");
	original.AddPoint("p", BPoint(3, 4));
	original.AddPointer("ptr", &ref);
	BMessage inner('innr');
	inner.AddRef("refs", &ref);
	original.AddMessage("inner", &inner);
	EXPECT_FALSE(original.WasDropped());
	platform::MessageAccess::SetDropped(&original, true, BPoint(12, 34));

	BMessage copy(original);
	BMessage assigned;
	assigned.AddInt32("old", 1);
	assigned = original;
	original = BMessage();
	original.AddString("name", "changed");
	EXPECT_FALSE(original.WasDropped());
	EXPECT_FALSE(assigned.HasInt32("old"));
	for (const BMessage* message : {&copy, &assigned}) {
		entry_ref found;
		const char* name;
		BPoint p;
		void* ptr = NULL;
		BMessage foundInner;
		EXPECT_EQ(message->what, (uint32)B_SIMPLE_DATA);
		ASSERT_EQ(message->FindRef("refs", &found), B_OK);
		EXPECT_EQ(found, ref);
		EXPECT_EQ(found.device, 7);
		EXPECT_EQ(found.directory, 4242);
		EXPECT_STREQ(found.name, "file name.txt");
		EXPECT_EQ(found.directory_path, "/tmp/some dir");
		ASSERT_EQ(message->FindString("name", &name), B_OK);
		EXPECT_STREQ(name, "first");
		EXPECT_EQ(message->FindPoint("p", &p), B_OK);
		EXPECT_EQ(p, BPoint(3, 4));
		EXPECT_EQ(message->FindPointer("ptr", &ptr), B_OK);
		EXPECT_EQ(ptr, &ref);
		ASSERT_EQ(message->FindMessage("inner", &foundInner), B_OK);
		EXPECT_EQ(foundInner.what, (uint32)'innr');
		ASSERT_EQ(foundInner.FindRef("refs", &found), B_OK);
		EXPECT_EQ(found.directory_path, "/tmp/some dir");
		EXPECT_TRUE(message->WasDropped());
		EXPECT_EQ(message->DropPoint(), BPoint(12, 34));
	}
}
