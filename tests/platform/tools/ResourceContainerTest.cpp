#include "ToolTestSupport.h"

#include "tools/ResourceContainer.h"
#include "tools/ResourceFormat.h"

#include <functional>

using tool_test::SetWord;
using tool_test::VellumarkContainer;
using tool_test::Word;

namespace {

const size_t kInfo = 4096;  // where the Vellumark container's info table starts

void RefreshChecksum(std::vector<uint8>& c)
{
	size_t end = c.size() - 8;
	SetWord(c, end, platform::resource_format::Checksum(c.data() + kInfo, end - kInfo));
}

std::string ErrorOf(const std::vector<uint8>& c)
{
	platform::ResourceContainer container;
	if (container.SetTo(c.data(), c.size()) == B_OK)
		return "accepted";
	EXPECT_TRUE(container.Resources().empty());
	return container.Error();
}

}  // namespace

TEST(ResourceContainer, UnnamedEntryAndUnusedSpanAreIgnored)
{
	std::vector<uint8> c = VellumarkContainer();
	// Entry 7 and the span before the info table hold junk that no record reaches.
	SetWord(c, 68 + 132 + 6 * 12, 0xFFFFFF00);
	SetWord(c, 68 + 132 + 6 * 12 + 4, 0x1000);
	for (size_t i = 4052; i < kInfo; i++)
		c[i] = 0xEE;
	platform::ResourceContainer container;
	ASSERT_EQ(container.SetTo(c.data(), c.size()), B_OK) << container.Error();
	EXPECT_EQ(container.Resources().size(), 7u);
	EXPECT_EQ(container.Resources().front().name, "BEOS:APP_FLAGS");
}

TEST(ResourceContainer, EachMalformationIsRejectedWithItsOwnError)
{
	struct Case {
		const char* fault;
		std::function<void(std::vector<uint8>&)> change;
		const char* error;
	};
	const size_t entries = 68 + 132;
	const Case cases[] = {
		{"wrong magic", [](auto& c) { c[0] = 1; }, "wrong magic"},
		{"truncated header", [](auto& c) { c.resize(40); }, "truncated"},
		{"truncated info table", [](auto& c) { c.resize(c.size() - 20); },
			"info table (offset 4096, size 253) does not fit"},
		{"oversized index section", [](auto& c) { SetWord(c, 68 + 4, 0x7FFFFFF0); },
			"does not fit"},
		{"index section outside", [](auto& c) { SetWord(c, 8, 0xFFFFFFF0); },
			"lies outside the container"},
		{"info table over the index", [](auto& c) { SetWord(c, 68 + 120, 100); },
			"overlaps the header or the index section"},
		{"bad checksum", [](auto& c) { c[kInfo + 4] ^= 1; }, "checksum"},
		{"name without NUL",
			[](auto& c) {
				c[kInfo + 4 + 10 + 14] = 'X';
				RefreshChecksum(c);
			},
			"not NUL-terminated"},
		{"name longer than the table",
			[](auto& c) {
				c[kInfo + 4 + 8] = 0xF0;
				RefreshChecksum(c);
			},
			"runs past the info table"},
		{"entry beyond the table",
			[](auto& c) {
				SetWord(c, kInfo + 4 + 4, 500);
				RefreshChecksum(c);
			},
			"names entry 500"},
		{"free entry", [](auto& c) { SetWord(c, entries + 5 * 12 + 8, 1001); }, "which is free"},
		{"data past the end", [](auto& c) { SetWord(c, entries + 4, 0x10000000); },
			"run past the container"},
		{"data over the info table", [](auto& c) { SetWord(c, entries, kInfo - 10); },
			"overlap the info table"},
		{"data over the index", [](auto& c) { SetWord(c, entries, 100); },
			"overlap the header or the index section"},
		{"overlapping data", [](auto& c) { SetWord(c, entries + 12, 1968 + 10); },
			"overlap those of"},
		{"two records, one entry",
			[](auto& c) {
				SetWord(c, kInfo + 4 + 4, 5);
				RefreshChecksum(c);
			},
			"two resources name entry 5"},
		{"count disagrees", [](auto& c) { SetWord(c, 4, 8); }, "counts 8 resources"},
		{"more records than counted", [](auto& c) { SetWord(c, 4, 3); },
			"more resources than the header's 3"},
		{"block without end",
			[](auto& c) {
				// The last block's separator becomes part of a record.
				SetWord(c, c.size() - 16, 0x12345678);
				RefreshChecksum(c);
			},
			"ends inside"},
	};
	for (const Case& test : cases) {
		std::vector<uint8> c = VellumarkContainer();
		test.change(c);
		EXPECT_NE(ErrorOf(c).find(test.error), std::string::npos)
			<< test.fault << ": " << ErrorOf(c);
	}
}

TEST(ResourceContainer, EveryTruncationIsRejected)
{
	std::vector<uint8> whole = VellumarkContainer();
	for (size_t size = 0; size < whole.size(); size += 7) {
		std::vector<uint8> c(whole.begin(), whole.begin() + size);
		EXPECT_NE(ErrorOf(c), "accepted") << size;
	}
}

TEST(ResourceWriter, SecondResourceOfATypeAndIdIsRefused)
{
	platform::ResourceWriter writer;
	writer.AddResource('MIMS', 1, "a", {0});
	writer.AddResource('MIMS', 1, "b", {0});
	std::vector<uint8> container;
	std::string error;
	EXPECT_EQ(writer.Write(&container, &error), B_BAD_VALUE);
	EXPECT_NE(error.find("repeats"), std::string::npos);
}

TEST(ResourceDefinitions, FaultsNameTheirLine)
{
	const struct {
		const char* text;
		const char* error;
	} cases[] = {
		{"resource 'MIMS' 1 \"x\"\n\tbogus 1\n", "line 2: unknown kind of data \"bogus\""},
		{"string \"early\"\n", "line 1: \"string\" outside a resource"},
		{"resource 'MIM' 1 \"x\"\n", "line 1: expected: resource 'TYPE' ID \"name\""},
		{"resource 'APPF' 1 \"f\"\n\tflags B_NOTHING\n", "line 2: unknown flag"},
		{"resource 'MSGG' 1 \"m\"\n\tfield \"a\" string \"b\"\n", "line 2: a field outside"},
		{"resource 'ICON' 1 \"i\"\n\ticon 32 32 \"missing.txt\"\n", "line 2: cannot read"},
		{"resource 'MIMS' 1 \"x\n", "line 1: a string without its closing quote"},
	};
	for (const auto& test : cases) {
		platform::ResourceDefinitions definitions;
		EXPECT_EQ(definitions.Parse(test.text, "/nonexistent"), B_BAD_VALUE) << test.text;
		EXPECT_NE(definitions.Error().find(test.error), std::string::npos) << definitions.Error();
	}
}
