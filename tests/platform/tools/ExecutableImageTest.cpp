#include "ToolTestSupport.h"

#include "tools/ExecutableImage.h"
#include "tools/ResourceContainer.h"

#include <TestSupport.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>

using platform::ExecutableImage;
using tool_test::SetWord;
using tool_test::VellumarkContainer;

namespace {

const std::string kExecutable = VELLUMARK_BINARY_DIR "/vellumark";
const std::string kLister = VELLUMARK_BINARY_DIR "/vellumark-reslist";

bool Exists(const std::string& path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0;
}

// A PE32 file with one section of raw data and the container right after it, where its
// Resource Table entry points.
std::vector<uint8> MakePe(const std::vector<uint8>& container, uint32 containerOffset)
{
	std::vector<uint8> pe(containerOffset, 0);
	pe[0] = 'M';
	pe[1] = 'Z';
	const uint32 header = 0x80;
	SetWord(pe, 0x3C, header);
	memcpy(&pe[header], "PE\0\0", 4);
	pe[header + 4] = 0x4C;  // i386
	pe[header + 5] = 0x01;
	pe[header + 6] = 1;  // one section
	pe[header + 20] = 224;  // size of the optional header
	const uint32 optional = header + 24;
	pe[optional] = 0x0B;
	pe[optional + 1] = 0x01;
	SetWord(pe, optional + 92, 16);  // data directory entries
	SetWord(pe, optional + 96 + 16, containerOffset);  // Resource Table: offset, size 0
	const uint32 section = optional + 224;
	memcpy(&pe[section], ".data\0\0\0", 8);
	SetWord(pe, section + 16, containerOffset - 0x200);  // raw data size
	SetWord(pe, section + 20, 0x200);  // raw data offset
	pe.insert(pe.end(), container.begin(), container.end());
	return pe;
}

std::vector<uint8> ReadExecutable()
{
	std::vector<uint8> bytes;
	std::string error;
	EXPECT_TRUE(platform::ReadFileBytes(kExecutable, &bytes, &error)) << error;
	return bytes;
}

int RunCommand(const std::string& command, std::string* output)
{
	FILE* pipe = popen((command + " 2>&1").c_str(), "r");
	if (pipe == NULL)
		return -1;
	char buffer[4096];
	size_t count;
	while ((count = fread(buffer, 1, sizeof(buffer), pipe)) > 0)
		output->append(buffer, count);
	int status = pclose(pipe);
	return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(ExecutableImage, PeContainerIsFoundThroughTheResourceTableEntry)
{
	std::vector<uint8> container = VellumarkContainer();
	std::vector<uint8> pe = MakePe(container, 27136);
	size_t offset = 0;
	std::string error;
	ASSERT_EQ(ExecutableImage::FindContainer(pe.data(), pe.size(), &offset, &error), B_OK) << error;
	EXPECT_EQ(offset, 27136u);
	platform::ResourceContainer reader;
	ASSERT_EQ(reader.SetTo(pe.data() + offset, pe.size() - offset), B_OK) << reader.Error();
	EXPECT_EQ(reader.Resources().size(), 7u);
	EXPECT_NE(reader.Find('MIMS', 1), nullptr);
}

TEST(ExecutableImage, PeWithoutAResourceTableSaysSo)
{
	std::vector<uint8> pe = MakePe({}, 0x400);
	SetWord(pe, 0x80 + 24 + 96 + 16, 0);
	size_t offset = 0;
	std::string error;
	EXPECT_NE(ExecutableImage::FindContainer(pe.data(), pe.size(), &offset, &error), B_OK);
	EXPECT_NE(error.find("Resource Table entry is empty"), std::string::npos) << error;

	SetWord(pe, 0x3C, 0xFFFFFF00);
	EXPECT_NE(ExecutableImage::FindContainer(pe.data(), pe.size(), &offset, &error), B_OK);
	EXPECT_NE(error.find("without a PE header"), std::string::npos) << error;
}

TEST(ExecutableImage, BuiltExecutableCarriesTheContainerRightAfterItsElfImage)
{
	if (!Exists(kExecutable))
		GTEST_SKIP() << kExecutable << " is not built";
	std::vector<uint8> bytes = ReadExecutable();
	size_t offset = 0;
	std::string error;
	ASSERT_EQ(ExecutableImage::FindContainer(bytes.data(), bytes.size(), &offset, &error), B_OK)
		<< error;
	std::vector<uint8> appended(bytes.begin() + offset, bytes.end());
	EXPECT_EQ(appended, VellumarkContainer());
}

TEST(ExecutableImage, ElfWithNothingAppendedHasNoContainer)
{
	if (!Exists(kExecutable))
		GTEST_SKIP() << kExecutable << " is not built";
	std::vector<uint8> bytes = ReadExecutable();
	size_t end = 0;
	std::string error;
	ASSERT_EQ(ExecutableImage::ElfImageEnd(bytes.data(), bytes.size(), &end, &error), B_OK);
	bytes.resize(end);
	size_t offset;
	EXPECT_EQ(ExecutableImage::FindContainer(bytes.data(), bytes.size(), &offset, &error),
		B_ENTRY_NOT_FOUND);
	EXPECT_NE(error.find("nothing follows the ELF image"), std::string::npos) << error;

	bytes.resize(end - 1);
	EXPECT_EQ(
		ExecutableImage::FindContainer(bytes.data(), bytes.size(), &offset, &error), B_BAD_DATA);
}

TEST(ResourceLister, PrintsAllSevenResourcesOfTheBuiltExecutable)
{
	if (!Exists(kExecutable) || !Exists(kLister))
		GTEST_SKIP() << "vellumark or vellumark-reslist is not built";
	std::string output;
	ASSERT_EQ(RunCommand(kLister + " " + kExecutable, &output), 0) << output;
	const char* expected[] = {
		"7 resources",
		"checksum 0xE52D1880 verified",
		"'MIMS' 1 \"BEOS:APP_SIG\", 24 bytes\n    string \"application/x-Vellumark\"",
		"'MIMS' 2 \"BEOS:TYPE\", 34 bytes\n    string \"application/x-vnd.Be-peexecutable\"",
		"'APPF' 1 \"BEOS:APP_FLAGS\", 4 bytes\n    flags 0x00000001: B_MULTIPLE_LAUNCH\n",
		"application version 1.5.0 final",
		"system version 0.0.0 development",
		"\"types\"[0] 'CSTR' \"application/octet-stream\"",
		"'ICON' 101 \"BEOS:L:STD_ICON\", 1024 bytes",
		"'MICN' 101 \"BEOS:M:STD_ICON\", 256 bytes",
	};
	for (const char* text : expected)
		EXPECT_NE(output.find(text), std::string::npos) << text << "\n" << output;

	// The icons come out as the rows of their artwork.
	std::string art = tool_test::SourceText("resources/icon-16.txt");
	std::string rows = art.substr(art.find("pixels\n") + 7);
	size_t at = 0;
	for (size_t end; (end = rows.find('\n', at)) != std::string::npos; at = end + 1)
		EXPECT_NE(output.find("    " + rows.substr(at, end - at) + "\n"), std::string::npos);
}

TEST(ResourceLister, FailsWithOneLineForAFileWithoutContainer)
{
	if (!Exists(kLister))
		GTEST_SKIP() << kLister << " is not built";
	testing_support::TempDir dir;
	std::string path = dir.Make("plain.txt");
	std::string error;
	ASSERT_TRUE(platform::WriteFileBytes(path, {'h', 'e', 'l', 'l', 'o'}, &error));
	std::string output;
	EXPECT_EQ(RunCommand(kLister + " " + path, &output), 1);
	EXPECT_EQ(output, "vellumark-reslist: " + path + ": not an executable: neither ELF nor PE\n");
}

TEST(ExecutableImage, ElfShorterThanItsOwnHeaderIsRejected)
{
	std::vector<uint8> elf(62, 0);
	memcpy(elf.data(),
		"\x7F"
		"ELF\x02\x01",
		6);
	size_t offset;
	std::string error;
	EXPECT_EQ(ExecutableImage::FindContainer(elf.data(), elf.size(), &offset, &error), B_BAD_DATA);
	EXPECT_EQ(error, "the ELF header is truncated");
}
