#include "tools/ExecutableImage.h"
#include "tools/IconText.h"
#include "tools/ResourceContainer.h"
#include "tools/ResourceDefinitions.h"
#include "tools/ResourceFormat.h"
#include "tools/ResourceWriter.h"

#include <unistd.h>

#include <cstring>
#include <tuple>
#include <utility>

#include "TestSupport.h"

using platform::ExecutableImage;
using platform::resource_format::Checksum;
using testing_support::ReadFile;

namespace {

const size_t kEntries = 68 + 132;  // where the container's entry table starts
const size_t kLargeIcon = 2734;  // the Vellumark container's large and mini icons' data
const size_t kInfo = 4096;  // and its info table
const size_t kPeContainer = 0x400;
const size_t kPeResourceTable = 0x80 + 24 + 96 + 16;
const std::string kExecutable = VELLUMARK_BINARY_DIR "/vellumark";
const std::string kLister = VELLUMARK_BINARY_DIR "/vellumark-reslist";

typedef std::vector<std::pair<size_t, uint32>> Words;

// The bytes with these little-endian words written over them, cut to size if that is not 0.
std::vector<uint8> Patched(std::vector<uint8> bytes, const Words& words, size_t size = 0)
{
	for (const auto& [at, word] : words) {
		for (int i = 0; i < 4; i++)
			bytes[at + i] = word >> (8 * i);
	}
	bytes.resize(size != 0 ? size : bytes.size());
	return bytes;
}

// The container that the build writes from the definitions in resources/, byte for byte
// (after a change there, copy build/vellumark.rsrc here).
std::vector<uint8> VellumarkContainer()
{
	std::string bytes = ReadFile(VELLUMARK_SOURCE_DIR "/tests/platform/tools/vellumark.rsrc");
	return std::vector<uint8>(bytes.begin(), bytes.end());
}

// The container with its entry table grown to count entries by unused ones, and the data and
// the info table behind it moved along.
std::vector<uint8> Grown(size_t count)
{
	const size_t added = (count - 117) * 12, tableEnd = kEntries + 117 * 12;
	std::vector<uint8> bytes = VellumarkContainer();
	Words moved = {{68 + 4, tableEnd - 68 + added}, {68 + 120, kInfo + added}};
	for (size_t at = kEntries; at < kEntries + 8 * 12; at += 12)  // the used entries
		moved.push_back({at, platform::resource_format::GetWord(&bytes[at]) + added});
	bytes.insert(bytes.begin() + tableEnd, added, 0);
	return Patched(bytes, moved);
}

// A 64-bit little-endian ELF header that accounts for nothing but itself, or a PE32 header
// whose Resource Table entry points past itself; then the container.
std::vector<uint8> MakeExecutable(bool pe, const std::vector<uint8>& container)
{
	std::vector<uint8> file(pe ? kPeContainer : 64, 0);
	memcpy(file.data(), pe ? "MZ" : "\177ELF\x02\x01\x01", pe ? 2 : 7);
	// The PE header at 0x80, with 224 bytes of optional header of the PE32 kind, which
	// holds 16 data directory entries.
	if (pe)
		file = Patched(file,
			{{0x3C, 0x80}, {0x80, 'P' | 'E' << 8}, {0x80 + 20, 224}, {0x80 + 24, 0x10B},
				{0x80 + 24 + 92, 16}, {kPeResourceTable, kPeContainer}});
	file.insert(file.end(), container.begin(), container.end());
	return file;
}

int RunLister(const std::string& path, std::string* output)
{
	testing_support::TempDir dir;
	int status = testing_support::RunCommand(kLister + " '" + path + "'", dir.Join("out"));
	*output = ReadFile(dir.Join("out"));
	return status;
}

}  // namespace

// Each malformation is refused with its own error and yields no resources; junk where no
// record reaches is accepted.
TEST(ResourceContainer, EachMalformationIsRejectedWithItsOwnError)
{
	const size_t end = kInfo + 253;
	const struct {
		const char* fault;
		Words words;
		size_t size;
		bool refresh;  // the info table's checksum made to match the change
		const char* error;
		size_t entries = 0;  // the entry table grown to, if not 0
	} kCases[] = {
		{"junk in the unnamed entry and the unused span",
			{{kEntries + 72, 0xFFFFFF00}, {4052, 0xEEEEEEEE}, {4092, 0xEEEEEEEE}}, 0, false,
			"accepted"},
		{"wrong magic", {{0, 0x444F1001}}, 0, false, "wrong magic"},
		{"truncated header", {}, 40, false, "truncated"},
		{"truncated info table", {}, end - 20, false,
			"info table (offset 4096, size 253) does not fit"},
		{"oversized index section", {{68 + 4, 0x7FFFFFF0}}, 0, false, "does not fit"},
		{"index section outside", {{8, 0xFFFFFFF0}}, 0, false, "lies outside the container"},
		{"info table over the index", {{68 + 120, 100}}, 0, false,
			"overlaps the header or the index section"},
		{"bad checksum", {{kInfo + 4, 0}}, 0, false, "checksum"},
		{"name without NUL", {{kInfo + 28, 0xFFFFFF00 | 'X'}}, 0, true, "not NUL-terminated"},
		{"name longer than the table", {{kInfo + 12, 0x454200F0}}, 0, true,
			"runs past the info table"},
		// The table's entries count from 1 to 117; the last is free.
		{"entry before the first", {{kInfo + 8, 0}}, 0, true,
			"names entry 0, but the table has 117"},
		{"the first entry, which another resource names", {{kInfo + 8, 1}}, 0, true,
			"two resources name entry 1"},
		{"the last entry", {{kInfo + 8, 117}}, 0, true, "names entry 117, which is free"},
		{"entry after the last", {{kInfo + 8, 118}}, 0, true,
			"names entry 118, but the table has 117"},
		{"data past the end", {{kEntries + 4, 0x10000000}}, 0, false, "run past the container"},
		{"data over the info table", {{kEntries, kInfo - 10}}, 0, false, "overlap the info table"},
		{"data over the index", {{kEntries, 100}}, 0, false,
			"overlap the header or the index section"},
		{"overlapping data", {{kEntries + 12, 1968 + 10}}, 0, false, "overlap those of"},
		{"count disagrees", {{4, 8}}, 0, false, "counts 8 resources"},
		{"more records than counted", {{4, 3}}, 0, false, "more resources than the header's 3"},
		{"the last block's end made a record", {{end - 16, 0x12345678}}, 0, true, "ends inside"},
		{"4095 entries", {}, 0, false, "accepted", 4095},
		{"4096 entries", {}, 0, false, "accepted", 4096},
		{"4097 entries", {}, 0, false, "claims 4097 entries, more than the 4096", 4097},
	};
	auto errorOf = [](const std::vector<uint8>& c) {
		platform::ResourceContainer container;
		if (container.SetTo(c.data(), c.size()) == B_OK)
			return std::string("accepted");
		EXPECT_TRUE(container.Resources().empty());
		return container.Error();
	};
	const std::vector<uint8> whole = VellumarkContainer();
	for (const auto& test : kCases) {
		std::vector<uint8> c =
			Patched(test.entries ? Grown(test.entries) : whole, test.words, test.size);
		if (test.refresh)
			c = Patched(c, {{end - 8, Checksum(c.data() + kInfo, end - 8 - kInfo)}});
		EXPECT_NE(errorOf(c).find(test.error), std::string::npos)
			<< test.fault << ": " << errorOf(c);
	}
	for (size_t size = 1; size < whole.size(); size += 7)
		EXPECT_NE(errorOf(Patched(whole, {}, size)), "accepted") << "truncated to " << size;
}

// Where the container starts, or why there is none; hostile headers are refused before
// anything past the file's end is read.
TEST(ExecutableImage, FindsTheContainerOrTellsWhyNot)
{
	const struct {
		const char* file;
		bool pe;
		Words words;
		size_t size;  // the file cut to, if not 0
		status_t status;
		const char* error;
	} kFiles[] = {
		{"PE", true, {}, 0, B_OK, ""},
		{"ELF shorter than its header", false, {}, 63, B_BAD_DATA, "the ELF header is truncated"},
		{"32-bit ELF shorter than its header", false, {{4, 0x010101}}, 51, B_BAD_DATA,
			"not an ELF file"},
		{"32-bit ELF alone", false, {{4, 0x010101}}, 52, B_ENTRY_NOT_FOUND,
			"nothing follows the ELF image"},
		{"32-bit ELF and one byte", false, {{4, 0x010101}}, 53, B_ENTRY_NOT_FOUND,
			"no resource container at offset 52"},
		{"ELF, then no container", false, {{64, 0}}, 0, B_ENTRY_NOT_FOUND,
			"no resource container at offset 64"},
		{"one program header at an overflowing offset", false,
			{{32, 0xFFFFFFF0}, {36, 0xFFFFFFFF}, {54, 56 | 1 << 16}}, 0, B_BAD_DATA,
			"program header table lies outside the file"},
		{"a segment past the end", false, {{32, 64}, {54, 56 | 1 << 16}, {64 + 8, 0x10000000}}, 0,
			B_BAD_DATA, "segment runs past the end of the file"},
		{"65535 sections", false, {{40, 64}, {58, 64 | 0xFFFF << 16}}, 0, B_BAD_DATA,
			"section header table lies outside the file"},
		{"PE without a Resource Table", true, {{kPeResourceTable, 0}}, 0, B_BAD_DATA,
			"the PE Resource Table entry is empty"},
		{"PE header past the end", true, {{0x3C, 0xFFFFFF00}}, 0, B_BAD_DATA,
			"an MZ file without a PE header"},
		{"Resource Table past the end", true, {{kPeResourceTable, 0xFFFFFFF0}}, 0, B_BAD_DATA,
			"points past the end of the file"},
		{"text", false, {{0, 'h' | 'i' << 8}}, 0, B_BAD_DATA, "neither ELF nor PE"},
	};
	const std::vector<uint8> container = VellumarkContainer();
	for (const auto& test : kFiles) {
		std::vector<uint8> file =
			Patched(MakeExecutable(test.pe, container), test.words, test.size);
		size_t offset = 0;
		std::string error;
		EXPECT_EQ(
			ExecutableImage::FindContainer(file.data(), file.size(), &offset, &error), test.status)
			<< test.file;
		EXPECT_NE(error.find(test.error), std::string::npos) << test.file << ": " << error;
		EXPECT_EQ(offset, test.status != B_OK ? 0 : test.pe ? kPeContainer : 64) << test.file;
	}
}

// A fault in a definitions file or in an icon's pixel art is refused, naming its line, and
// nothing is made.
TEST(ResourceDefinitions, FaultsNameTheirLine)
{
	const std::string kLegend = "legend\n. 255 clear\n# 0 ink\npixels\n";
	const std::tuple<bool, const char*, const char*> kCases[] = {
		// pixel art, text, error
		{false, "resource 'MIMS' 1 \"x\"\n\tbogus 1\n", "line 2: unknown kind of data \"bogus\""},
		{false, "string \"early\"\n", "line 1: \"string\" outside a resource"},
		{false, "resource 'MIM' 1 \"x\"\n", "line 1: expected: resource 'TYPE' ID \"name\""},
		{false, "resource 'APPF' 1 \"f\"\n\tflags B_NOTHING\n", "line 2: unknown flag"},
		{false, "resource 'MSGG' 1 \"m\"\n\tfield \"a\" string \"b\"\n", "line 2: a field outside"},
		{false, "resource 'ICON' 1 \"i\"\n\ticon 32 32 \"missing.txt\"\n", "line 2: cannot read"},
		{false, "resource 'MIMS' 1 \"x\n", "line 1: a string without its closing quote"},
		{false, "resource 'MIMS' 1 \"a\"\nresource 'MIMS' 1 \"b\"\n",
			"\"b\" repeats an earlier type and id"},
		{true, ".#\n#\n", "line 6: a row of 1 pixels, not 2"},
		{true, ".#\n#x\n", "line 6: the character 'x' is not in the legend"},
		{true, ".#\n", "1 rows, not 2"},
		{true, ".#\n#.\n..\n", "line 7: more than 2 rows"},
	};
	for (const auto& [art, text, expected] : kCases) {
		platform::ResourceDefinitions definitions;
		platform::ResourceWriter writer;
		std::vector<uint8> made;
		std::string error;
		status_t status = art ? platform::IconText::Parse(kLegend + text, 2, 2, &made, &error)
							  : definitions.Parse(text, "/nonexistent");
		if (!art) {
			error = definitions.Error();
			definitions.AddTo(writer);
			status = status != B_OK ? status : writer.Write(&made, &error);
		}
		EXPECT_EQ(status, B_BAD_VALUE) << text;
		EXPECT_NE(error.find(expected), std::string::npos) << text << ": " << error;
		EXPECT_TRUE(made.empty()) << text;
	}
}

// The build appends its container right after the ELF image, and the lister prints it as
// vellumark.reslist holds (after a change to resources/, make that file again with
// "build/vellumark-reslist build/vellumark | tail -n +2").
TEST(ResourceLister, PrintsTheResourcesOfTheBuiltExecutableAndOneLineWithoutAny)
{
	if (access(kExecutable.c_str(), F_OK) != 0)
		GTEST_SKIP() << kExecutable << " is not built";
	std::string bytes = ReadFile(kExecutable);
	size_t end = 0;
	std::string error, output;
	ASSERT_EQ(
		ExecutableImage::ElfImageEnd((const uint8*)bytes.data(), bytes.size(), &end, &error), B_OK)
		<< error;
	EXPECT_EQ(std::vector<uint8>(bytes.begin() + end, bytes.end()), VellumarkContainer());
	EXPECT_EQ(RunLister(kExecutable, &output), 0);
	EXPECT_EQ(output,
		kExecutable + ": 7 resources in the container at offset " + std::to_string(end)
			+ ", info table checksum 0xE52D1880 verified\n"
			+ ReadFile(VELLUMARK_SOURCE_DIR "/tests/platform/tools/vellumark.reslist"));

	EXPECT_EQ(RunLister(kLister, &output), 1);
	EXPECT_EQ(output,
		"vellumark-reslist: " + kLister
			+ ": no resource container: nothing follows the ELF image\n");
}

// The build's PNG copies of the application icon, read by an independent decoder.
TEST(DesktopIcons, EachSizeIsTheArtworkScaledByAWholeFactorWithoutSmoothing)
{
	const std::pair<int, int> kIcons[] = {
		{16, 16}, {32, 32}, {48, 16}, {64, 32}, {128, 32}, {256, 32}};
	const std::vector<uint8> container = VellumarkContainer();
	for (const auto& [size, source] : kIcons) {
		// The artwork's pixels, as the container holds them.
		const uint8* art = container.data() + (source == 32 ? kLargeIcon : kLargeIcon + 1024);
		std::string path = VELLUMARK_BINARY_DIR "/icons/" + std::to_string(size) + "x"
			+ std::to_string(size) + "/vellumark.png";
		EXPECT_TRUE(testing_support::DecodedImage(path)
			== testing_support::ScaledIcon(art, source, size / source))
			<< path << ": unlike the artwork scaled " << size / source;
	}
}
