#include <Entry.h>
#include <Message.h>

#include <gtest/gtest.h>

#include "support/ByteOrder.h"

#include <cstring>
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

// Rewrites the checksum after a test has changed the header.
void FixChecksum(std::vector<uint8>& bytes)
{
	uint32 sum =
		uint32(platform::ReadBig(&bytes[8], 4) + platform::ReadBig(&bytes[12], 4)) + bytes[16];
	platform::WriteBig(&bytes[4], sum, 4);
}

status_t UnflattenInto(const std::vector<uint8>& bytes, BMessage* message)
{
	return message->Unflatten((const char*)bytes.data(), bytes.size());
}

}  // namespace

TEST(BMessageFlatten, FileTypesMessageIsTheExact62Bytes)
{
	BMessage message(0);
	message.AddString("types", "application/octet-stream");
	ASSERT_EQ(message.FlattenedSize(), 62);
	std::vector<uint8> bytes = Flat(message);
	EXPECT_EQ(bytes, std::vector<uint8>(kFileTypes, kFileTypes + 62));
}

TEST(BMessageFlatten, FileTypesBytesUnflattenToTheOneString)
{
	BMessage message('junk');
	message.AddInt32("stale", 1);
	ASSERT_EQ(message.Unflatten((const char*)kFileTypes, sizeof(kFileTypes)), B_OK);
	EXPECT_EQ(message.what, 0u);
	EXPECT_FALSE(message.HasInt32("stale"));
	const char* type = NULL;
	ASSERT_EQ(message.FindString("types", &type), B_OK);
	EXPECT_STREQ(type, "application/octet-stream");
	EXPECT_EQ(message.FindString("types", 1, &type), B_BAD_INDEX);

	BMessage unsized;
	ASSERT_EQ(unsized.Unflatten((const char*)kFileTypes), B_OK) << "reads the size word";
	EXPECT_EQ(unsized.FindString("types", &type), B_OK);
}

TEST(BMessageFlatten, EveryKindOfFieldSurvivesARoundTrip)
{
	BMessage original('rtrp');
	original.AddInt32("n", -5);
	original.AddInt32("n", 70000);
	original.AddString("s", "one");
	original.AddString("s", "a longer second string");
	const int16 i16 = 0x1234;
	original.AddData("i16", B_INT16_TYPE, &i16, sizeof(i16));
	original.AddInt64("i64", 0x0102030405060708LL);
	original.AddRect("r", BRect(0, 0, 280, 70));
	entry_ref ref(3, 99, "name");
	ref.directory_path = "/some/where";
	original.AddRef("refs", &ref);
	BMessage inner('innr');
	inner.AddString("x", "y");
	original.AddMessage("inner", &inner);
	std::string big(300, 'z');
	original.AddString("big", big.c_str());

	BMessage copy;
	ASSERT_EQ(UnflattenInto(Flat(original), &copy), B_OK);
	EXPECT_EQ(copy.what, (uint32)'rtrp');
	EXPECT_EQ(Flat(copy), Flat(original));
	int32 n;
	ASSERT_EQ(copy.FindInt32("n", 1, &n), B_OK);
	EXPECT_EQ(n, 70000);
	const void* i64;
	ASSERT_EQ(copy.FindData("i64", B_INT64_TYPE, &i64, NULL), B_OK);
	EXPECT_EQ(*(const int64*)i64, 0x0102030405060708LL);
	entry_ref foundRef;
	ASSERT_EQ(copy.FindRef("refs", &foundRef), B_OK);
	EXPECT_EQ(foundRef, ref);
	EXPECT_EQ(foundRef.directory_path, "/some/where");
	BMessage foundInner;
	ASSERT_EQ(copy.FindMessage("inner", &foundInner), B_OK);
	const char* x;
	ASSERT_EQ(foundInner.FindString("x", &x), B_OK);
	EXPECT_STREQ(x, "y");
	const char* foundBig;
	ASSERT_EQ(copy.FindString("big", &foundBig), B_OK);
	EXPECT_EQ(std::string(foundBig), big);
}

TEST(BMessageFlatten, NumbersAreWrittenMostSignificantByteFirst)
{
	BMessage message(0x01020304);
	message.AddInt32("n", 0x0A0B0C0D);
	std::vector<uint8> bytes = Flat(message);
	// header 17, flags, type, data size, name length, "n", then the item
	ASSERT_EQ(bytes.size(), 17u + 1 + 4 + 1 + 1 + 1 + 4 + 1);
	EXPECT_EQ(bytes[12], 0x01);
	EXPECT_EQ(bytes[15], 0x04);
	EXPECT_EQ(bytes[17], 0x0F);  // valid, small sizes, fixed size, single item
	const uint8 item[4] = {0x0A, 0x0B, 0x0C, 0x0D};
	EXPECT_EQ(memcmp(&bytes[25], item, 4), 0);
}

TEST(BMessageFlatten, FlattenIntoTooSmallABufferFailsWithoutWriting)
{
	BMessage message;
	message.AddString("types", "application/octet-stream");
	std::vector<uint8> buffer(61, 0xAB);
	EXPECT_EQ(message.Flatten((char*)buffer.data(), buffer.size()), B_BUFFER_OVERFLOW);
	EXPECT_EQ(buffer, std::vector<uint8>(61, 0xAB));
}

TEST(BMessageFlatten, MalformedInputIsRejectedAndLeavesTheMessageAlone)
{
	std::vector<uint8> good(kFileTypes, kFileTypes + 62);
	struct Case {
		const char* what;
		std::vector<uint8> bytes;
		status_t expected;
	};
	std::vector<Case> cases;
	auto changed = [&](size_t at, uint8 value, bool fixSum) {
		std::vector<uint8> bytes = good;
		bytes[at] = value;
		if (fixSum)
			FixChecksum(bytes);
		return bytes;
	};
	cases.push_back({"wrong magic", changed(3, '2', false), B_NOT_A_MESSAGE});
	cases.push_back({"bad checksum", changed(7, 64, false), B_BAD_DATA});
	cases.push_back({"size beyond the buffer", changed(11, 63, true), B_BAD_DATA});
	cases.push_back({"size too small", changed(11, 10, true), B_BAD_DATA});
	cases.push_back({"field data beyond the message", changed(22, 40, false), B_BAD_DATA});
	cases.push_back({"item beyond its field", changed(32, 40, false), B_BAD_DATA});
	cases.push_back({"string without its NUL", changed(57, 'x', false), B_BAD_DATA});
	cases.push_back({"unknown field flags", changed(17, 0x4B, false), B_BAD_DATA});
	cases.push_back({"missing end byte", changed(61, 0x0B, false), B_BAD_DATA});
	cases.push_back({"unknown message flags", changed(16, 0x03, true), B_BAD_DATA});
	cases.push_back({"truncated", std::vector<uint8>(good.begin(), good.begin() + 40), B_BAD_DATA});
	cases.push_back(
		{"only the magic", std::vector<uint8>(good.begin(), good.begin() + 4), B_BAD_DATA});

	for (const Case& c : cases) {
		BMessage message('keep');
		message.AddInt32("kept", 1);
		EXPECT_EQ(UnflattenInto(c.bytes, &message), c.expected) << c.what;
		EXPECT_EQ(message.what, (uint32)'keep') << c.what;
		EXPECT_TRUE(message.HasInt32("kept")) << c.what;
	}
}

TEST(BMessageFlatten, FixedSizeItemOfTheWrongSizeIsRejected)
{
	BMessage message;
	message.AddInt32("n", 1);
	message.AddInt32("n", 2);
	std::vector<uint8> bytes = Flat(message);
	// flags, type, count, data size: make the two items look like one 8-byte item
	ASSERT_EQ(bytes[17], 0x07);
	bytes[22] = 1;
	BMessage copy;
	EXPECT_EQ(UnflattenInto(bytes, &copy), B_BAD_DATA);
}

TEST(BMessageFlatten, DeeplyNestedMessagesAreRejectedNotRecursedWithoutBound)
{
	BMessage message('deep');
	for (int i = 0; i < 40; i++) {
		BMessage outer('deep');
		outer.AddMessage("m", &message);
		message = outer;
	}
	BMessage copy;
	EXPECT_EQ(UnflattenInto(Flat(message), &copy), B_BAD_DATA);
}

TEST(BMessageFlatten, NameLongerThanItsLengthByteCannotBeFlattened)
{
	BMessage message;
	std::string name(256, 'n');
	ASSERT_EQ(message.AddInt32(name.c_str(), 1), B_OK);
	EXPECT_EQ(message.FlattenedSize(), B_NAME_TOO_LONG);
	char buffer[512];
	EXPECT_EQ(message.Flatten(buffer, sizeof(buffer)), B_NAME_TOO_LONG);
}
