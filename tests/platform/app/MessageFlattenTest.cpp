#include <Entry.h>
#include <Message.h>

#include <gtest/gtest.h>

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
	auto word = [&](size_t at) {
		return (uint32)bytes[at] << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3];
	};
	uint32 sum = word(8) + word(12) + bytes[16];
	for (int i = 0; i < 4; i++)
		bytes[4 + i] = sum >> (24 - 8 * i);
}

status_t UnflattenInto(const std::vector<uint8>& bytes, BMessage* message)
{
	return message->Unflatten((const char*)bytes.data(), bytes.size());
}

}  // namespace

// Both ways: the message flattens to exactly these bytes, and they unflatten, replacing
// what the message held, to the one string.
TEST(BMessageFlatten, FileTypesMessageIsTheExact62Bytes)
{
	BMessage message(0);
	message.AddString("types", "application/octet-stream");
	EXPECT_EQ(Flat(message), std::vector<uint8>(kFileTypes, kFileTypes + 62));

	BMessage read('junk');
	read.AddInt32("stale", 1);
	ASSERT_EQ(read.Unflatten((const char*)kFileTypes), B_OK) << "reads the size word";
	EXPECT_EQ(read.what, 0u);
	EXPECT_FALSE(read.HasInt32("stale"));
	const char* type = NULL;
	ASSERT_EQ(read.FindString("types", &type), B_OK);
	EXPECT_STREQ(type, "application/octet-stream");
	EXPECT_EQ(read.FindString("types", 1, &type), B_BAD_INDEX);
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
	// Equal bytes could hide a field lost both ways: read some back.
	int32 n;
	entry_ref foundRef;
	BMessage foundInner;
	const char* text;
	EXPECT_EQ(copy.FindInt32("n", 1, &n), B_OK);
	EXPECT_EQ(n, 70000);
	ASSERT_EQ(copy.FindRef("refs", &foundRef), B_OK);
	EXPECT_EQ(foundRef, ref);
	EXPECT_EQ(foundRef.directory_path, "/some/where");
	ASSERT_EQ(copy.FindMessage("inner", &foundInner), B_OK);
	EXPECT_EQ(foundInner.FindString("x", &text), B_OK);
	ASSERT_EQ(copy.FindString("big", &text), B_OK);
	EXPECT_EQ(std::string(text), big);
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
	BMessage two;
	two.AddInt32("n", 1);
	two.AddInt32("n", 2);
	std::vector<uint8> oneOfEight = Flat(two);
	oneOfEight[22] = 1;  // the count: one item of 8 bytes in an int32 field
	cases.push_back({"fixed-size item of the wrong size", oneOfEight, B_BAD_DATA});
	BMessage deep('deep');
	for (int i = 0; i < 40; i++) {
		BMessage outer('deep');
		outer.AddMessage("m", &deep);
		deep = outer;
	}
	cases.push_back({"nested without bound", Flat(deep), B_BAD_DATA});

	for (const Case& c : cases) {
		BMessage message('keep');
		message.AddInt32("kept", 1);
		EXPECT_EQ(UnflattenInto(c.bytes, &message), c.expected) << c.what;
		EXPECT_EQ(message.what, (uint32)'keep') << c.what;
		EXPECT_TRUE(message.HasInt32("kept")) << c.what;
	}
}

TEST(BMessageFlatten, FlattenRefusesTooSmallABufferAndTooLongANameWithoutWriting)
{
	BMessage message;
	message.AddString("types", "application/octet-stream");
	std::vector<uint8> buffer(61, 0xAB);
	EXPECT_EQ(message.Flatten((char*)buffer.data(), buffer.size()), B_BUFFER_OVERFLOW);
	EXPECT_EQ(buffer, std::vector<uint8>(61, 0xAB));

	ASSERT_EQ(message.AddInt32(std::string(256, 'n').c_str(), 1), B_OK);
	EXPECT_EQ(message.FlattenedSize(), B_NAME_TOO_LONG);
	buffer.assign(512, 0xAB);
	EXPECT_EQ(message.Flatten((char*)buffer.data(), buffer.size()), B_NAME_TOO_LONG);
}
