#include "tools/ResourcePrinter.h"

#include "tools/IconText.h"
#include "tools/ResourceFormat.h"

#include <Message.h>

#include <cstdio>
#include <cstring>

namespace platform {

namespace {

const char* const kIndent = "    ";
const size_t kVersionRecordSize = 340;

// Quoted, with anything unprintable escaped.
std::string Quoted(const char* text, size_t size)
{
	std::string quoted = "\"";
	for (size_t i = 0; i < size; i++) {
		uint8 c = text[i];
		if (c == '"' || c == '\\') {
			quoted += '\\';
			quoted += (char)c;
		} else if (c >= 0x20 && c < 0x7F) {
			quoted += (char)c;
		} else {
			char escape[8];
			snprintf(escape, sizeof(escape), "\\x%02x", c);
			quoted += escape;
		}
	}
	return quoted + "\"";
}

// Text padded with NULs: up to the first NUL.
std::string PaddedText(const uint8* bytes, size_t size)
{
	const void* nul = memchr(bytes, 0, size);
	size_t length = nul != NULL ? (const uint8*)nul - bytes : size;
	return Quoted((const char*)bytes, length);
}

const char* const kVarieties[] = {
	"development", "alpha", "beta", "gamma", "golden master", "final"};

}  // namespace

std::string ResourcePrinter::Describe(const Resource& resource)
{
	std::string text = TypeCodeText(resource.type) + " " + std::to_string(resource.id) + " "
		+ Quoted(resource.name.c_str(), resource.name.size()) + ", "
		+ std::to_string(resource.data.size()) + " bytes\n";
	switch (resource.type) {
		case 'MIMS':
		case 'CSTR':
			return text + DescribeString(resource.data);
		case 'APPF':
			return text + DescribeFlags(resource.data);
		case 'APPV':
			return text + DescribeVersions(resource.data);
		case 'MSGG':
			return text + DescribeMessage(resource.data);
		case 'ICON':
			return text + DescribeIcon(resource.data, 32);
		case 'MICN':
			return text + DescribeIcon(resource.data, 16);
		default:
			return text + DescribeBytes(resource.data);
	}
}

std::string ResourcePrinter::DescribeString(const std::vector<uint8>& data)
{
	if (data.empty() || data.back() != 0)
		return std::string(kIndent) + "not a NUL-terminated string:\n" + DescribeBytes(data);
	return std::string(kIndent) + "string " + Quoted((const char*)data.data(), data.size() - 1)
		+ "\n";
}

std::string ResourcePrinter::DescribeFlags(const std::vector<uint8>& data)
{
	if (data.size() != 4)
		return std::string(kIndent) + "flags of the wrong size:\n" + DescribeBytes(data);
	uint32 flags = resource_format::GetWord(data.data());
	static const char* const kLaunch[] = {
		"B_SINGLE_LAUNCH", "B_MULTIPLE_LAUNCH", "B_EXCLUSIVE_LAUNCH", "launch mode 3"};
	char number[16];
	snprintf(number, sizeof(number), "0x%08x", flags);
	std::string text = std::string(kIndent) + "flags " + number + ": " + kLaunch[flags & 3];
	if (flags & 0x4)
		text += " | B_BACKGROUND_APP";
	if (flags & 0x8)
		text += " | B_ARGV_ONLY";
	if (flags & ~0xFu) {
		snprintf(number, sizeof(number), "0x%x", flags & ~0xFu);
		text += std::string(" | unknown bits ") + number;
	}
	return text + "\n";
}

std::string ResourcePrinter::DescribeVersions(const std::vector<uint8>& data)
{
	if (data.empty() || data.size() % kVersionRecordSize != 0)
		return std::string(kIndent) + "not whole version records:\n" + DescribeBytes(data);
	std::string text;
	for (size_t at = 0; at < data.size(); at += kVersionRecordSize) {
		const uint8* record = data.data() + at;
		uint32 values[5];
		for (int i = 0; i < 5; i++)
			values[i] = resource_format::GetWord(record + 4 * i);
		const char* label = at == 0 ? "application" : at == kVersionRecordSize ? "system" : "extra";
		std::string variety =
			values[3] < 6 ? kVarieties[values[3]] : "variety " + std::to_string(values[3]);
		text += std::string(kIndent) + label + " version " + std::to_string(values[0]) + "."
			+ std::to_string(values[1]) + "." + std::to_string(values[2]) + " " + variety
			+ ", internal " + std::to_string(values[4]) + ", short info "
			+ PaddedText(record + 20, 64) + ", long info " + PaddedText(record + 84, 256) + "\n";
	}
	return text;
}

std::string ResourcePrinter::DescribeMessage(const std::vector<uint8>& data)
{
	BMessage message;
	if (message.Unflatten((const char*)data.data(), data.size()) != B_OK)
		return std::string(kIndent) + "not a flattened message:\n" + DescribeBytes(data);
	std::string text = std::string(kIndent) + "message, what "
		+ (message.what == 0 ? std::string("0") : TypeCodeText(message.what)) + "\n";
	char* name;
	type_code type;
	int32 count;
	for (int32 i = 0; message.GetInfo(B_ANY_TYPE, i, &name, &type, &count) == B_OK; i++) {
		for (int32 j = 0; j < count; j++) {
			text += std::string(kIndent) + kIndent + Quoted(name, strlen(name)) + "["
				+ std::to_string(j) + "] " + TypeCodeText(type) + " ";
			const char* string;
			int32 number;
			const void* bytes;
			ssize_t size;
			if (type == B_STRING_TYPE && message.FindString(name, j, &string) == B_OK)
				text += Quoted(string, strlen(string));
			else if (type == B_INT32_TYPE && message.FindInt32(name, j, &number) == B_OK)
				text += std::to_string(number);
			else if (message.FindData(name, type, j, &bytes, &size) == B_OK)
				text += std::to_string(size) + " bytes";
			text += "\n";
		}
	}
	return text;
}

std::string ResourcePrinter::DescribeIcon(const std::vector<uint8>& data, int32 side)
{
	if (data.size() != (size_t)side * side)
		return std::string(kIndent) + "not a " + std::to_string(side) + "x" + std::to_string(side)
			+ " icon:\n" + DescribeBytes(data);
	return std::string(kIndent) + std::to_string(side) + "x" + std::to_string(side)
		+ " colour-mapped icon\n" + IconText::Format(data.data(), side, side, kIndent);
}

// The first bytes in hex, sixteen a line.
std::string ResourcePrinter::DescribeBytes(const std::vector<uint8>& data)
{
	const size_t kShown = 256;
	std::string text;
	for (size_t i = 0; i < data.size() && i < kShown; i += 16) {
		text += kIndent;
		for (size_t j = i; j < i + 16 && j < data.size(); j++) {
			char hex[4];
			snprintf(hex, sizeof(hex), "%02x ", data[j]);
			text += hex;
		}
		text.back() = '\n';
	}
	if (data.size() > kShown)
		text +=
			std::string(kIndent) + "... " + std::to_string(data.size() - kShown) + " more bytes\n";
	return text;
}

}  // namespace platform
