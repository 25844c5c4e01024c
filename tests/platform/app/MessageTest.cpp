#include <Entry.h>
#include <Message.h>

#include "app/MessageAccess.h"
#include "app/MessageFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// What the supported-types resource carries: what 0, one "types" string.
const uint8 kFileTypes[62] = {'F', 'O', 'B', '1', 0, 0, 0, 63, 0, 0, 0, 62, 0, 0, 0, 0, 0x01, 0x0B,
	'C', 'S', 'T', 'R', 32, 5, 't', 'y', 'p', 'e', 's', 0, 0, 0, 25, 'a', 'p', 'p', 'l', 'i', 'c',
	'a', 't', 'i', 'o', 'n', '/', 'o', 'c', 't', 'e', 't', '-', 's', 't', 'r', 'e', 'a', 'm', 0, 0,
	0, 0, 0};

std::vector<uint8> Flat(const BMessage& message)
{
	ssize_t size = message.FlattenedSize();
	std::vector<uint8> bytes(size > 0 ? size : 0, 0xAB);
	EXPECT_EQ(message.Flatten((char*)bytes.data(), bytes.size()), B_OK);
	return bytes;
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
	EXPECT_FALSE(message.HasRef("n"));
}

TEST(BMessage, AFieldKeepsItsTypeAndItsItemSizeAndNullArgumentsAddNothing)
{
	BMessage message;
	EXPECT_EQ(message.AddString(NULL, "x"), B_BAD_VALUE);
	EXPECT_EQ(message.AddString("x", NULL), B_BAD_VALUE);
	EXPECT_EQ(message.AddRef("refs", NULL), B_BAD_VALUE);
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
}

// Copies, assignments and a flattened and unflattened copy are whole (a ref keeps its
// directory path, a nested message its fields) and independent of the original; the drop
// state, which only the platform sets, survives copies.
TEST(BMessage, CopiesAndFlattenedCopiesAreWholeAndIndependent)
{
	BMessage original(B_SIMPLE_DATA);
	entry_ref ref(7, 4242, "file name.txt");
	ref.directory_path = "/tmp/some dir";
	original.AddRef("refs", &ref);
	original.AddInt32("n", -5);
	original.AddString("big", std::string(300, 'z').c_str());
	BMessage inner('innr');
	inner.AddRef("refs", &ref);
	std::vector<uint8> flatInner = Flat(inner);
	original.AddData("inner", B_MESSAGE_TYPE, flatInner.data(), flatInner.size(), false);
	std::vector<uint8> flat = Flat(original);
	EXPECT_FALSE(original.WasDropped());
	platform::MessageAccess::SetDropped(&original, true, BPoint(12, 34));

	BMessage copy(original), assigned, unflattened;
	assigned.AddInt32("old", 1);
	assigned = original;
	ASSERT_EQ(unflattened.Unflatten((const char*)flat.data(), flat.size()), B_OK);
	EXPECT_EQ(Flat(unflattened), flat);
	original = BMessage();
	EXPECT_FALSE(original.WasDropped());
	EXPECT_FALSE(assigned.HasInt32("old"));
	for (const BMessage* message : {&copy, &assigned, &unflattened}) {
		entry_ref found;
		const char* big = NULL;
		BMessage foundInner;
		EXPECT_EQ(message->what, (uint32)B_SIMPLE_DATA);
		ASSERT_EQ(message->FindRef("refs", &found), B_OK);
		EXPECT_EQ(found, ref);
		EXPECT_EQ(found.directory_path, "/tmp/some dir");
		EXPECT_TRUE(message->HasInt32("n"));
		ASSERT_EQ(message->FindString("big", &big), B_OK);
		EXPECT_EQ(std::string(big), std::string(300, 'z'));
		ASSERT_EQ(message->FindMessage("inner", &foundInner), B_OK);
		ASSERT_EQ(foundInner.FindRef("refs", &found), B_OK);
		EXPECT_EQ(found.directory_path, "/tmp/some dir");
		EXPECT_EQ(message->WasDropped(), message != &unflattened);
	}
	EXPECT_EQ(copy.DropPoint(), BPoint(12, 34));
}

// A buffer too small is refused and left alone, as is a name longer than its length byte.
TEST(BMessage, TheFileTypesMessageFlattensToTheExact62Bytes)
{
	BMessage message(0);
	message.AddString("types", "application/octet-stream");
	EXPECT_EQ(Flat(message), std::vector<uint8>(kFileTypes, kFileTypes + 62));
	std::vector<uint8> buffer(61, 0xAB);
	EXPECT_EQ(message.Flatten((char*)buffer.data(), buffer.size()), B_BUFFER_OVERFLOW);
	EXPECT_EQ(buffer, std::vector<uint8>(61, 0xAB));
	ASSERT_EQ(message.AddInt32(std::string(256, 'n').c_str(), 1), B_OK);
	EXPECT_EQ(message.FlattenedSize(), B_NAME_TOO_LONG) << "the length is one byte";
}

TEST(BMessage, MalformedFlattenedInputIsRejectedAndLeavesTheMessageAlone)
{
	const std::vector<uint8> good(kFileTypes, kFileTypes + 62);
	auto changed = [&](size_t at, uint8 value, bool fixSum) {
		std::vector<uint8> bytes = good;
		bytes[at] = value;
		uint32 sum = 0;  // of the two header words after it and the flags byte
		for (size_t i = 8; i < 16; i += 4)
			sum += uint32(bytes[i]) << 24 | bytes[i + 1] << 16 | bytes[i + 2] << 8 | bytes[i + 3];
		sum += bytes[16];
		for (int i = 0; fixSum && i < 4; i++)
			bytes[4 + i] = sum >> (24 - 8 * i);
		return bytes;
	};
	BMessage two, deep('deep');
	two.AddInt32("n", 1);
	two.AddInt32("n", 2);
	std::vector<uint8> oneOfEight = Flat(two);
	oneOfEight[22] = 1;  // the count: one item of 8 bytes in an int32 field
	// Each level is checked as it is added: the last one is the first beyond the bound.
	for (int i = 0; i < platform::MessageFormat::kMaxDepth; i++) {
		BMessage outer('deep');
		std::vector<uint8> flatDeep = Flat(deep);
		ASSERT_EQ(
			outer.AddData("m", B_MESSAGE_TYPE, flatDeep.data(), flatDeep.size(), false), B_OK);
		deep = outer;
	}
	const struct {
		const char* what;
		std::vector<uint8> bytes;
		status_t expected;
	} kCases[] = {
		{"wrong magic", changed(3, '2', false), B_NOT_A_MESSAGE},
		{"bad checksum", changed(7, 64, false), B_BAD_DATA},
		{"size beyond the buffer", changed(11, 63, true), B_BAD_DATA},
		{"size too small", changed(11, 10, true), B_BAD_DATA},
		{"field data beyond the message", changed(22, 40, false), B_BAD_DATA},
		{"item beyond its field", changed(32, 40, false), B_BAD_DATA},
		{"string without its NUL", changed(57, 'x', false), B_BAD_DATA},
		{"unknown field flags", changed(17, 0x4B, false), B_BAD_DATA},
		{"missing end byte", changed(61, 0x0B, false), B_BAD_DATA},
		{"unknown message flags", changed(16, 0x03, true), B_BAD_DATA},
		{"truncated", std::vector<uint8>(good.begin(), good.begin() + 40), B_BAD_DATA},
		{"only the magic", std::vector<uint8>(good.begin(), good.begin() + 4), B_BAD_DATA},
		{"fixed-size item of the wrong size", oneOfEight, B_BAD_DATA},
		{"nested without bound", Flat(deep), B_BAD_DATA},
	};
	for (const auto& c : kCases) {
		BMessage message('keep');
		message.AddInt32("kept", 1);
		EXPECT_EQ(message.Unflatten((const char*)c.bytes.data(), c.bytes.size()), c.expected)
			<< c.what;
		EXPECT_EQ(message.what, (uint32)'keep') << c.what;
		EXPECT_TRUE(message.HasInt32("kept")) << c.what;
	}
}
