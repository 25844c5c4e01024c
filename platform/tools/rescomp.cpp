// vellumark-rescomp: writes the resource container from a definition file, appends a
// container to a linked executable, or exports an icon's pixel text as PNG, scaled by a
// whole factor.

#include "desktop/RgbaImage.h"
#include "tools/ExecutableImage.h"
#include "tools/FileBytes.h"
#include "tools/IconText.h"
#include "tools/ResourceDefinitions.h"
#include "tools/ResourceWriter.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

using namespace platform;

namespace {

const char* kName = "vellumark-rescomp";

int Fail(const std::string& message)
{
	fprintf(stderr, "%s: %s\n", kName, message.c_str());
	return 1;
}

int Compile(const std::string& definitionsPath, const std::string& outputPath)
{
	ResourceDefinitions definitions;
	if (definitions.ParseFile(definitionsPath) != B_OK)
		return Fail(definitionsPath + ": " + definitions.Error());
	ResourceWriter writer;
	definitions.AddTo(writer);
	std::vector<uint8> container;
	std::string error;
	if (writer.Write(&container, &error) != B_OK || !WriteFileBytes(outputPath, container, &error))
		return Fail(error);
	return 0;
}

// Whatever followed the ELF image before (an older container) is cut off first, so that
// appending twice leaves one container.
int Append(const std::string& executablePath, const std::string& containerPath)
{
	std::vector<uint8> executable, container;
	std::string error;
	if (!ReadFileBytes(executablePath, &executable, &error)
		|| !ReadFileBytes(containerPath, &container, &error))
		return Fail(error);
	size_t end;
	if (ExecutableImage::ElfImageEnd(executable.data(), executable.size(), &end, &error) != B_OK)
		return Fail(executablePath + ": " + error);
	executable.resize(end);
	executable.insert(executable.end(), container.begin(), container.end());
	if (!WriteFileBytes(executablePath, executable, &error))
		return Fail(error);
	return 0;
}

int ExportPng(const std::string& iconPath, const std::string& sizeText,
	const std::string& outputPath, const std::string& scaleText)
{
	int size = atoi(sizeText.c_str());
	if (size < 1 || size > 256)
		return Fail("an icon's size is 1 to 256 pixels");
	int scale = atoi(scaleText.c_str());
	if (scale < 1 || size * scale > 1024)
		return Fail("a scale is a whole factor of 1 or more, to at most 1024 pixels");
	std::vector<uint8> text, pixels;
	std::string error;
	if (!ReadFileBytes(iconPath, &text, &error))
		return Fail(error);
	if (IconText::Parse(std::string(text.begin(), text.end()), size, size, &pixels, &error) != B_OK)
		return Fail(iconPath + ": " + error);
	std::string png;
	if (RgbaImage::FromIndices(pixels.data(), size, scale).EncodePng({}, &png) != B_OK)
		return Fail("the icon could not be encoded");
	if (!WriteFileBytes(outputPath, std::vector<uint8>(png.begin(), png.end()), &error))
		return Fail(error);
	return 0;
}

}  // namespace

int main(int argc, char** argv)
{
	std::string mode = argc > 1 ? argv[1] : "";
	if (argc == 3 && mode[0] != '-')
		return Compile(argv[1], argv[2]);
	if (argc == 4 && mode == "--append")
		return Append(argv[2], argv[3]);
	if ((argc == 5 || argc == 6) && mode == "--png")
		return ExportPng(argv[2], argv[3], argv[4], argc == 6 ? argv[5] : "1");
	fprintf(stderr,
		"usage: %s DEFINITIONS CONTAINER\n"
		"       %s --append EXECUTABLE CONTAINER\n"
		"       %s --png ICON-TEXT SIZE PNG [SCALE]\n",
		kName, kName, kName);
	return 2;
}
