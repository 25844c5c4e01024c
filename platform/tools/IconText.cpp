#include "tools/IconText.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace platform {

namespace {

// The characters of the application's own artwork, so that a listing reads like its source;
// other indices get the next free character.
struct Preferred {
	uint8 index;
	char character;
};
const Preferred kPreferred[] = {
	{255, '.'},
	{0, '#'},
	{248, 'o'},
	{249, 'O'},
	{250, '='},
	{251, 'p'},
	{252, '-'},
	{219, 'r'},
	{212, 'R'},
	{140, 'd'},
};
const char kSpare[] =
	"ABCDEFGHIJKLMNPQSTUVWXYZabcefghijklmnqstuvwxyz0123456789+*%@&$!?:;<>^~/|_(){}[]";

std::string Trimmed(const std::string& line)
{
	size_t end = line.find_last_not_of(" \t\r");
	return end == std::string::npos ? std::string() : line.substr(0, end + 1);
}

}  // namespace

status_t IconText::Parse(const std::string& text, int32 width, int32 height,
	std::vector<uint8>* pixels, std::string* error)
{
	int map[256];
	for (int& entry : map)
		entry = -1;
	enum {
		kCommentary,
		kLegend,
		kPixels
	} part = kCommentary;
	std::vector<uint8> result;
	int32 rows = 0;

	std::istringstream lines(text);
	std::string raw;
	int lineNumber = 0;
	auto fail = [&](const std::string& message) {
		*error = "line " + std::to_string(lineNumber) + ": " + message;
		return B_BAD_VALUE;
	};
	while (std::getline(lines, raw)) {
		lineNumber++;
		std::string line = Trimmed(raw);
		if (part == kCommentary) {
			if (line == "legend")
				part = kLegend;
			continue;
		}
		if (part == kLegend) {
			if (line == "pixels") {
				part = kPixels;
				continue;
			}
			if (line.empty())
				continue;
			char* end;
			long index = strtol(line.c_str() + 1, &end, 10);
			if (line.size() < 3 || (line[1] != ' ' && line[1] != '\t') || end == line.c_str() + 1
				|| index < 0 || index > 255)
				return fail("a legend line is a character, a colour-map index and a description");
			if (map[(uint8)line[0]] != -1)
				return fail(std::string("the character '") + line[0] + "' is defined twice");
			map[(uint8)line[0]] = (int)index;
			continue;
		}
		if (rows == height)
			return fail("more than " + std::to_string(height) + " rows");
		if ((int32)line.size() != width)
			return fail("a row of " + std::to_string(line.size()) + " pixels, not "
				+ std::to_string(width));
		for (char c : line) {
			if (map[(uint8)c] == -1)
				return fail(std::string("the character '") + c + "' is not in the legend");
			result.push_back((uint8)map[(uint8)c]);
		}
		rows++;
	}
	if (part != kPixels)
		return fail("no \"legend\" and \"pixels\" sections");
	if (rows != height)
		return fail(std::to_string(rows) + " rows, not " + std::to_string(height));
	*pixels = std::move(result);
	return B_OK;
}

char IconText::CharacterFor(uint8 index, std::vector<char>& legend)
{
	if (legend[index] != 0)
		return legend[index];
	auto taken = [&](char c) {
		for (char used : legend) {
			if (used == c)
				return true;
		}
		return false;
	};
	for (const Preferred& preferred : kPreferred) {
		if (preferred.index == index && !taken(preferred.character))
			return legend[index] = preferred.character;
	}
	for (const char* spare = kSpare; *spare != 0; spare++) {
		if (!taken(*spare))
			return legend[index] = *spare;
	}
	return 0;
}

std::string IconText::Format(
	const uint8* pixels, int32 width, int32 height, const std::string& indent)
{
	std::vector<char> legend(256, 0);
	size_t count = (size_t)width * height;
	bool fits = true;
	for (size_t i = 0; i < count && fits; i++)
		fits = CharacterFor(pixels[i], legend) != 0;

	std::string text;
	if (!fits) {
		// More colours than characters: two hex digits a pixel.
		for (int32 y = 0; y < height; y++) {
			text += indent;
			for (int32 x = 0; x < width; x++) {
				char hex[3];
				snprintf(hex, sizeof(hex), "%02x", pixels[y * width + x]);
				text += hex;
			}
			text += "\n";
		}
		return text;
	}

	text += indent + "legend:";
	for (int index = 0; index < 256; index++) {
		if (legend[index] != 0)
			text += std::string(" ") + legend[index] + "=" + std::to_string(index);
	}
	text += "\n";
	for (int32 y = 0; y < height; y++) {
		text += indent;
		for (int32 x = 0; x < width; x++)
			text += legend[pixels[y * width + x]];
		text += "\n";
	}
	return text;
}

}  // namespace platform
