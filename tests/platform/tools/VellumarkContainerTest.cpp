#include "ToolTestSupport.h"

#include "tools/ResourceContainer.h"

#include <Message.h>

#include <cstring>

using tool_test::VellumarkContainer;
using tool_test::Word;

namespace {

const uint32 kInfoOffset = 4096;

struct Expected {
	type_code type;
	int32 id;
	const char* name;
	uint32 size;
};

// In the order their data follow one another; each is the entry of its position, but for
// the last, which comes after the unnamed entry 7.
const Expected kResources[] = {
	{'MIMS', 1, "BEOS:APP_SIG", 24},
	{'MSGG', 1, "BEOS:FILE_TYPES", 62},
	{'APPV', 1, "BEOS:APP_VERSION", 680},
	{'ICON', 101, "BEOS:L:STD_ICON", 1024},
	{'MICN', 101, "BEOS:M:STD_ICON", 256},
	{'APPF', 1, "BEOS:APP_FLAGS", 4},
	{'MIMS', 2, "BEOS:TYPE", 34},
};

// The info table as listed record by record, built here independently of the writer.
std::vector<uint8> ExpectedInfoTable()
{
	struct Record {
		int32 id;
		int32 entry;
		const char* name;
	};
	struct Block {
		type_code type;
		std::vector<Record> records;
	};
	const Block blocks[] = {
		{'APPF', {{1, 6, "BEOS:APP_FLAGS"}}},
		{'MICN', {{101, 5, "BEOS:M:STD_ICON"}}},
		{'ICON', {{101, 4, "BEOS:L:STD_ICON"}}},
		{'APPV', {{1, 3, "BEOS:APP_VERSION"}}},
		{'MSGG', {{1, 2, "BEOS:FILE_TYPES"}}},
		{'MIMS', {{2, 8, "BEOS:TYPE"}, {1, 1, "BEOS:APP_SIG"}}},
	};
	std::vector<uint8> table;
	auto word = [&](uint32 value) {
		for (int i = 0; i < 4; i++)
			table.push_back(value >> (8 * i));
	};
	for (const Block& block : blocks) {
		word(block.type);
		for (const Record& record : block.records) {
			word(record.id);
			word(record.entry);
			size_t size = strlen(record.name) + 1;
			table.push_back(size);
			table.push_back(0);
			table.insert(table.end(), record.name, record.name + size);
		}
		word(0xFFFFFFFF);
		word(0xFFFFFFFF);
	}
	word(0xE52D1880);
	word(0);
	return table;
}

}  // namespace

// The header (magic, resource count, index section, reserved section), then the index
// section's header, whose reserved words follow the free triple pattern.
TEST(VellumarkContainer, HeaderAndIndexSectionHoldTheirFixedWords)
{
	std::vector<uint8> c = VellumarkContainer();
	ASSERT_GE(c.size(), 200u);
	EXPECT_EQ(
		std::vector<uint8>(c.begin(), c.begin() + 4), (std::vector<uint8>{0, 0x10, 'O', 'D'}));
	const struct {
		size_t at;
		uint32 word;
	} kWords[] = {{4, 7}, {8, 68}, {12, 1604}, {68, 68}, {72, 1536}, {76, 1001}, {80, 1604},
		{84, 360}, {188, kInfoOffset}, {192, 253}, {196, 1001}};
	for (size_t i = 0; i < sizeof(kWords) / sizeof(kWords[0]); i++)
		EXPECT_EQ(Word(c, kWords[i].at), kWords[i].word) << "row " << i;
	for (int i = 0; i < 25; i++) {
		const uint32 pattern[3] = {1001, 0, 0xFFFFFFFF};
		EXPECT_EQ(Word(c, 88 + 4 * i), pattern[i % 3]) << "reserved word " << i;
	}
}

TEST(VellumarkContainer, EntryTableHoldsEightUsedEntriesInDataOrder)
{
	std::vector<uint8> c = VellumarkContainer();
	const size_t table = 68 + 132;
	const uint32 sizes[8] = {24, 62, 680, 1024, 256, 4, 0, 34};
	uint32 offset = 1968;
	for (int i = 0; i < 8; i++) {
		EXPECT_EQ(Word(c, table + 12 * i), offset) << "entry " << i + 1;
		EXPECT_EQ(Word(c, table + 12 * i + 4), sizes[i]) << "entry " << i + 1;
		EXPECT_EQ(Word(c, table + 12 * i + 8), 0u) << "entry " << i + 1;
		offset += sizes[i];
	}
	for (int i = 8; i < 117; i++) {
		EXPECT_EQ(Word(c, table + 12 * i), 0u);
		EXPECT_EQ(Word(c, table + 12 * i + 4), 0xFFFFFFFFu);
		EXPECT_EQ(Word(c, table + 12 * i + 8), 1001u);
	}
}

TEST(VellumarkContainer, ReservedSectionRecordsOnlyTheUnusedSpan)
{
	std::vector<uint8> c = VellumarkContainer();
	const uint32 dataEnd = 1968 + 24 + 62 + 680 + 1024 + 256 + 4 + 34;
	for (int i = 0; i < 30; i++) {
		size_t at = 1604 + 12 * i;
		if (i == 1) {
			EXPECT_EQ(Word(c, at), dataEnd);
			EXPECT_EQ(Word(c, at + 4), kInfoOffset - dataEnd);
		} else {
			EXPECT_EQ(Word(c, at), 0u) << "triple " << i;
			EXPECT_EQ(Word(c, at + 4), 0xFFFFFFFFu) << "triple " << i;
		}
		EXPECT_EQ(Word(c, at + 8), 1001u) << "triple " << i;
	}
}

TEST(VellumarkContainer, InfoTableIsTheListedBytesWithItsChecksum)
{
	std::vector<uint8> c = VellumarkContainer();
	ASSERT_EQ(c.size(), kInfoOffset + 253);
	std::vector<uint8> info(c.begin() + kInfoOffset, c.end());
	EXPECT_EQ(info, ExpectedInfoTable());
}

TEST(VellumarkContainer, ReaderFindsTheSevenResourcesByTypeAndId)
{
	std::vector<uint8> c = VellumarkContainer();
	platform::ResourceContainer container;
	ASSERT_EQ(container.SetTo(c.data(), c.size()), B_OK) << container.Error();
	EXPECT_EQ(container.Resources().size(), 7u);
	EXPECT_EQ(container.InfoChecksum(), 0xE52D1880u);
	uint32 offset = 1968;
	for (const Expected& expected : kResources) {
		const platform::Resource* resource = container.Find(expected.type, expected.id);
		ASSERT_NE(resource, nullptr) << expected.name;
		EXPECT_EQ(resource->name, expected.name);
		EXPECT_EQ(resource->data.size(), expected.size) << expected.name;
		EXPECT_EQ(resource->offset, offset) << expected.name;
		offset += expected.size;
	}
}

TEST(VellumarkContainer, SignatureIsTheStringTheApplicationRunsUnder)
{
	std::vector<uint8> c = VellumarkContainer();
	std::string source = tool_test::SourceText("app/CMainApp.cpp");
	const std::string marker = "kAppSignature = \"";
	size_t start = source.find(marker);
	ASSERT_NE(start, std::string::npos);
	start += marker.size();
	std::string signature = source.substr(start, source.find('"', start) - start);
	signature.push_back('\0');
	EXPECT_EQ(std::string(c.begin() + 1968, c.begin() + 1968 + 24), signature);
	EXPECT_EQ(signature, std::string("application/x-Vellumark", 24));
}

TEST(VellumarkContainer, SmallResourcesHoldTheirExactBytes)
{
	std::vector<uint8> c = VellumarkContainer();
	const size_t flags = 1968 + 24 + 62 + 680 + 1024 + 256;
	EXPECT_EQ(std::vector<uint8>(c.begin() + flags, c.begin() + flags + 4),
		(std::vector<uint8>{1, 0, 0, 0}));
	EXPECT_EQ(std::string(c.begin() + flags + 4, c.begin() + flags + 4 + 34),
		std::string("application/x-vnd.Be-peexecutable", 34));

	BMessage types;
	ASSERT_EQ(types.Unflatten((const char*)c.data() + 1968 + 24, 62), B_OK);
	EXPECT_EQ(types.what, 0u);
	const char* type;
	ASSERT_EQ(types.FindString("types", &type), B_OK);
	EXPECT_STREQ(type, "application/octet-stream");
	EXPECT_EQ(c[1968 + 24 + 7], 63);  // the flat message's checksum
}

TEST(VellumarkContainer, VersionReadsOnePointFiveFinalAsTheAboutTextSays)
{
	std::vector<uint8> c = VellumarkContainer();
	const size_t v = 1968 + 24 + 62;
	const uint32 application[5] = {1, 5, 0, 5, 0};
	for (int i = 0; i < 5; i++) {
		EXPECT_EQ(Word(c, v + 4 * i), application[i]);
		EXPECT_EQ(Word(c, v + 340 + 4 * i), 0u);
	}
	for (size_t i = 20; i < 340; i++) {
		ASSERT_EQ(c[v + i], 0) << "application record byte " << i;
		ASSERT_EQ(c[v + 340 + i], 0) << "system record byte " << i;
	}
	EXPECT_NE(tool_test::SourceText("app/CMainApp.cpp").find("\"Vellumark 1.5\\n\\n\""),
		std::string::npos);
}

TEST(VellumarkContainer, IconsAreOneFigureOnTransparentWithABlackOutline)
{
	std::vector<uint8> c = VellumarkContainer();
	const uint8* large = c.data() + 1968 + 24 + 62 + 680;
	const uint8* mini = large + 1024;
	for (const auto& [pixels, side] : {std::pair{large, 32}, std::pair{mini, 16}}) {
		EXPECT_EQ(pixels[0], 255);
		EXPECT_EQ(pixels[side * side - 1], 255);
		// Each opaque pixel on the figure's edge, next to a transparent one, is outline.
		for (int y = 0; y < side; y++) {
			for (int x = 0; x < side; x++) {
				uint8 pixel = pixels[y * side + x];
				bool edge = x == 0 || y == 0 || x == side - 1 || y == side - 1
					|| pixels[y * side + x - 1] == 255 || pixels[y * side + x + 1] == 255
					|| pixels[(y - 1) * side + x] == 255 || pixels[(y + 1) * side + x] == 255;
				if (pixel != 255 && edge) {
					EXPECT_EQ(pixel, 0) << side << " px icon at " << x << "," << y;
				}
			}
		}
	}
}
