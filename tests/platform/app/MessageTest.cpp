#include <Entry.h>
#include <Message.h>

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

// Find reads the item at the index, of the type asked for, and writes nothing on failure.
TEST(BMessage, FindReadsTheItemAtTheIndexOfTheTypeAskedForAndWritesNothingOnFailure)
{
	BMessage message('test');
	message.AddInt32("n", 10);
	message.AddInt32("n", 20);
	message.AddString("s", "text");
	const struct {
		const char* name;
		int32 index;
		status_t status;
		int32 value;
	} kRows[] = {
		{"n", 0, B_OK, 10},
		{"n", 1, B_OK, 20},
		{"n", 2, B_BAD_INDEX, -1},
		{"n", -1, B_BAD_INDEX, -1},
		{"missing", 0, B_NAME_NOT_FOUND, -1},
		{"s", 0, B_BAD_TYPE, -1},
		{NULL, 0, B_BAD_VALUE, -1},
	};
	for (size_t i = 0; i < std::size(kRows); i++) {
		int32 value = -1;
		EXPECT_EQ(message.FindInt32(kRows[i].name, kRows[i].index, &value), kRows[i].status)
			<< "row " << i;
		EXPECT_EQ(value, kRows[i].value) << "row " << i;
	}
}

// The flat form gives a field's name one byte of length, and its data size one byte while that
// is below 256, else four: sizes at those limits, each read back to the same bytes.
TEST(BMessage, FlattensToTheExactBytesAndSizesAtTheOneByteLimits)
{
	BMessage message(0);
	message.AddString("types", "application/octet-stream");
	EXPECT_EQ(Flat(message), std::vector<uint8>(kFileTypes, kFileTypes + 62));
	const struct {
		size_t name;
		size_t data;  // of its one item
		ssize_t size;  // flattened, or the error
	} kRows[] = {
		// Header 17, end byte 1; field flags 1, type 4, data size, name length 1, name, data.
		{254, 1, 18 + 1 + 4 + 1 + 1 + 254 + 1},
		{255, 1, 18 + 1 + 4 + 1 + 1 + 255 + 1},
		{256, 1, B_NAME_TOO_LONG},
		{1, 254, 18 + 1 + 4 + 1 + 1 + 1 + 254},
		{1, 255, 18 + 1 + 4 + 1 + 1 + 1 + 255},
		{1, 256, 18 + 1 + 4 + 4 + 1 + 1 + 256},
	};
	for (const auto& row : kRows) {
		BMessage sized('size'), read;
		std::vector<uint8> data(row.data, 0x5A);
		ASSERT_EQ(
			sized.AddData(std::string(row.name, 'n').c_str(), B_RAW_TYPE, data.data(), data.size()),
			B_OK);
		EXPECT_EQ(sized.FlattenedSize(), row.size) << row.name << ", " << row.data;
		// A buffer one byte short is refused, and so is a message without a flat form.
		std::vector<char> buffer(row.size < 0 ? 1024 : row.size - 1);
		EXPECT_EQ(sized.Flatten(buffer.data(), buffer.size()),
			row.size < 0 ? row.size : B_BUFFER_OVERFLOW)
			<< row.name << ", " << row.data;
		if (row.size < 0)
			continue;
		std::vector<uint8> flat = Flat(sized);
		ASSERT_EQ(read.Unflatten((const char*)flat.data(), flat.size()), B_OK) << row.data;
		EXPECT_EQ(Flat(read), flat) << row.name << ", " << row.data;
	}
}

TEST(BMessage, FlattenedInputIsReadOnlyWhenWellFormedAndElseLeavesTheMessageAlone)
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
	BMessage two;
	two.AddInt32("n", 1);
	two.AddInt32("n", 2);
	std::vector<uint8> oneOfEight = Flat(two);
	oneOfEight[22] = 1;  // the count: one item of 8 bytes in an int32 field
	std::vector<uint8> pastTheEnd = changed(11, 63, true);
	pastTheEnd.push_back(0);
	BMessage pair;
	pair.AddInt32("a", 1);
	pair.AddInt32("b", 2);
	std::vector<uint8> sameNames = Flat(pair);
	sameNames[36] = 'a';  // the second field's name
	// Two strings in one field, with the count of items written over: a byte while the
	// field is small, else the first byte of a word.
	auto counted = [](size_t length, uint8 count) {
		BMessage strings;
		strings.AddString("s", std::string(length, 'a').c_str());
		strings.AddString("s", std::string(length, 'b').c_str());
		std::vector<uint8> flat = Flat(strings);
		flat[22] = count;
		return flat;
	};
	// A reference to "f" in "/d", its item's size at 28 and the item from 29 on.
	auto reference = [](size_t at, uint8 value) {
		BMessage refs;
		entry_ref ref;
		ref.set_name("f");
		ref.directory_path = "/d";
		refs.AddRef("r", &ref);
		std::vector<uint8> flat = Flat(refs);
		flat[at] = value;
		return flat;
	};
	// A message in a message in a message, and so on: so many in all, flattened.
	auto nested = [](int messages) {
		BMessage deep('deep');
		for (int i = 1; i < messages; i++) {
			BMessage outer('deep');
			std::vector<uint8> flat = Flat(deep);
			EXPECT_EQ(outer.AddData("m", B_MESSAGE_TYPE, flat.data(), flat.size(), false), B_OK);
			deep = outer;
		}
		return Flat(deep);
	};
	const struct {
		const char* what;
		std::vector<uint8> bytes;
		status_t expected;
		size_t unpassed = 0;  // bytes left behind the ones handed over
	} kCases[] = {
		{"wrong magic", changed(3, '2', false), B_NOT_A_MESSAGE},
		{"three bytes", std::vector<uint8>(good.begin(), good.begin() + 3), B_NOT_A_MESSAGE},
		{"bad checksum", changed(7, 64, false), B_BAD_DATA},
		{"size beyond the bytes handed over", good, B_BAD_DATA, 1},
		{"size too small", changed(11, 10, true), B_BAD_DATA},
		{"size one short of the end byte", changed(11, 61, true), B_BAD_DATA},
		{"a byte behind the end byte", pastTheEnd, B_BAD_DATA},
		{"field data beyond the message", changed(22, 40, false), B_BAD_DATA},
		{"item beyond its field", changed(32, 40, false), B_BAD_DATA},
		{"string without its NUL", changed(57, 'x', false), B_BAD_DATA},
		{"unknown field flags", changed(17, 0x4B, false), B_BAD_DATA},
		{"field flags without the valid one", changed(17, 0x0A, false), B_BAD_DATA},
		{"NUL in a field's name", changed(26, 0, false), B_BAD_DATA},
		{"two fields of one name", sameNames, B_BAD_DATA},
		{"string of no bytes", changed(32, 0, false), B_BAD_DATA},
		{"count as written", counted(1, 2), B_OK},
		{"count of none", counted(1, 0), B_BAD_DATA},
		{"count one below the items", counted(1, 1), B_BAD_DATA},
		{"count one above the items", counted(1, 3), B_BAD_DATA},
		{"count beyond what the field's bytes hold", counted(200, 0xFF), B_BAD_DATA},
		{"reference as made", reference(45, 'f'), B_OK},
		{"reference shorter than two numbers and two NULs", reference(28, 17), B_BAD_DATA},
		{"reference without a path", reference(28, 18), B_BAD_DATA},
		{"reference with bytes behind its path", reference(48, 0), B_BAD_DATA},
		{"missing end byte", changed(61, 0x0B, false), B_BAD_DATA},
		{"unknown message flags", changed(16, 0x03, true), B_BAD_DATA},
		{"only the magic", std::vector<uint8>(good.begin(), good.begin() + 4), B_BAD_DATA},
		{"fixed-size item of the wrong size", oneOfEight, B_BAD_DATA},
		// Nesting is bounded: 32 messages, the outermost one included.
		{"31 messages nested", nested(31), B_OK},
		{"32 messages nested", nested(32), B_OK},
		{"33 messages nested", nested(33), B_BAD_DATA},
	};
	for (const auto& c : kCases) {
		BMessage message('keep');
		message.AddInt32("kept", 1);
		EXPECT_EQ(
			message.Unflatten((const char*)c.bytes.data(), c.bytes.size() - c.unpassed), c.expected)
			<< c.what;
		EXPECT_EQ(message.what == 'keep' && message.HasInt32("kept"), c.expected != B_OK) << c.what;
	}
}
