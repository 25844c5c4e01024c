#ifndef TOOL_TEST_SUPPORT_H
#define TOOL_TEST_SUPPORT_H

#include "support/ByteOrder.h"
#include "tools/FileBytes.h"
#include "tools/ResourceDefinitions.h"
#include "tools/ResourceWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tool_test {

inline uint32 Word(const std::vector<uint8>& bytes, size_t at)
{
	return uint32(platform::ReadLittle(&bytes[at], 4));
}

inline void SetWord(std::vector<uint8>& bytes, size_t at, uint32 value)
{
	platform::WriteLittle(&bytes[at], value, 4);
}

// The container that the build writes for Vellumark, from the definitions in resources/.
inline std::vector<uint8> VellumarkContainer()
{
	platform::ResourceDefinitions definitions;
	EXPECT_EQ(definitions.ParseFile(VELLUMARK_SOURCE_DIR "/resources/Vellumark.rdef"), B_OK)
		<< definitions.Error();
	platform::ResourceWriter writer;
	definitions.AddTo(writer);
	std::vector<uint8> container;
	std::string error;
	EXPECT_EQ(writer.Write(&container, &error), B_OK) << error;
	return container;
}

inline std::string SourceText(const std::string& relative)
{
	std::vector<uint8> bytes;
	std::string error;
	EXPECT_TRUE(platform::ReadFileBytes(VELLUMARK_SOURCE_DIR "/" + relative, &bytes, &error))
		<< error;
	return std::string(bytes.begin(), bytes.end());
}

}  // namespace tool_test

#endif
