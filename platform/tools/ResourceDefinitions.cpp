#include "tools/ResourceDefinitions.h"

#include "support/ByteOrder.h"
#include "tools/IconText.h"
#include "tools/ResourceFormat.h"
#include "tools/ResourceWriter.h"

#include <Message.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace platform {

namespace {

const size_t kVersionRecordSize = 340;
const size_t kShortInfoSize = 64;
const size_t kLongInfoSize = 256;

struct NamedValue {
	const char* name;
	uint32 value;
};

const NamedValue kAppFlags[] = {
	{"B_SINGLE_LAUNCH", 0x0},
	{"B_MULTIPLE_LAUNCH", 0x1},
	{"B_EXCLUSIVE_LAUNCH", 0x2},
	{"B_BACKGROUND_APP", 0x4},
	{"B_ARGV_ONLY", 0x8},
};

const char* const kVarieties[] = {
	"development", "alpha", "beta", "gamma", "golden_master", "final"};

bool ReadFile(const std::string& path, std::string* text)
{
	std::ifstream file(path, std::ios::binary);
	if (!file)
		return false;
	std::ostringstream contents;
	contents << file.rdbuf();
	*text = contents.str();
	return true;
}

// Splits a line into words, "strings" (kept with their quote, escapes resolved) and
// 'type codes' (kept with theirs); # starts a comment.
bool Tokenize(const std::string& line, std::vector<std::string>* tokens, std::string* error)
{
	size_t i = 0;
	while (i < line.size()) {
		char c = line[i];
		if (c == ' ' || c == '\t' || c == '\r') {
			i++;
			continue;
		}
		if (c == '#')
			break;
		if (c == '"') {
			std::string token = "\"";
			for (i++; i < line.size() && line[i] != '"'; i++) {
				if (line[i] != '\\') {
					token += line[i];
					continue;
				}
				if (++i == line.size())
					break;
				switch (line[i]) {
					case 'n':
						token += '\n';
						break;
					case 't':
						token += '\t';
						break;
					case '0':
						token += '\0';
						break;
					case 'x':
						if (i + 2 >= line.size() || !isxdigit((uint8)line[i + 1])
							|| !isxdigit((uint8)line[i + 2])) {
							*error = "a \\x escape needs two hex digits";
							return false;
						}
						token += (char)strtol(line.substr(i + 1, 2).c_str(), NULL, 16);
						i += 2;
						break;
					default:
						token += line[i];
						break;
				}
			}
			if (i >= line.size()) {
				*error = "a string without its closing quote";
				return false;
			}
			i++;
			tokens->push_back(token);
			continue;
		}
		size_t end = i;
		if (c == '\'') {
			end = line.find('\'', i + 1);
			if (end == std::string::npos) {
				*error = "a type code without its closing quote";
				return false;
			}
			end++;
		} else {
			while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '#')
				end++;
		}
		tokens->push_back(line.substr(i, end - i));
		i = end;
	}
	return true;
}

bool IsString(const std::string& token)
{
	return !token.empty() && token[0] == '"';
}

bool ParseNumber(const std::string& token, int64 min, int64 max, int64* value)
{
	if (token.empty() || IsString(token))
		return false;
	errno = 0;
	char* end;
	long long result = strtoll(token.c_str(), &end, 0);
	if (errno != 0 || *end != '\0' || result < min || result > max)
		return false;
	*value = result;
	return true;
}

bool ParseTypeCode(const std::string& token, type_code* type)
{
	if (token.size() != 6 || token[0] != '\'' || token[5] != '\'')
		return false;
	*type = (type_code)ReadBig(reinterpret_cast<const uint8*>(token.data()) + 1, 4);
	return true;
}

void AppendWord(std::vector<uint8>* data, uint32 value)
{
	uint8 bytes[4];
	resource_format::PutWord(bytes, value);
	data->insert(data->end(), bytes, bytes + 4);
}

}  // namespace

ResourceDefinitions::ResourceDefinitions() :
	fLine(0)
{
}

ResourceDefinitions::~ResourceDefinitions()
{
}

status_t ResourceDefinitions::Fail(const std::string& message)
{
	fError = "line " + std::to_string(fLine) + ": " + message;
	return B_BAD_VALUE;
}

status_t ResourceDefinitions::ParseFile(const std::string& path)
{
	std::string text;
	if (!ReadFile(path, &text)) {
		fError = "cannot read " + path;
		return B_ENTRY_NOT_FOUND;
	}
	size_t slash = path.rfind('/');
	return Parse(text, slash == std::string::npos ? "." : path.substr(0, slash));
}

status_t ResourceDefinitions::Parse(const std::string& text, const std::string& baseDirectory)
{
	fDefinitions.clear();
	fMessage.reset();
	fBaseDirectory = baseDirectory;
	fLine = 0;
	fError.clear();

	std::istringstream lines(text);
	std::string line;
	while (std::getline(lines, line)) {
		fLine++;
		std::vector<std::string> tokens;
		std::string error;
		if (!Tokenize(line, &tokens, &error))
			return Fail(error);
		if (tokens.empty())
			continue;
		status_t status = ParseLine(tokens);
		if (status != B_OK)
			return status;
	}
	return FinishMessage();
}

void ResourceDefinitions::AddTo(ResourceWriter& writer) const
{
	for (const ResourceDefinition& definition : fDefinitions) {
		if (definition.named)
			writer.AddResource(definition.type, definition.id, definition.name, definition.data);
		else
			writer.AddUnnamedEntry();
	}
}

status_t ResourceDefinitions::ParseLine(const std::vector<std::string>& tokens)
{
	if (tokens[0] == "resource"
		|| (tokens[0] == "unnamed" && tokens.size() == 2 && tokens[1] == "entry")) {
		status_t status = FinishMessage();
		if (status != B_OK)
			return status;
		if (tokens[0] == "resource")
			return ParseResource(tokens);
		ResourceDefinition unnamed;
		unnamed.named = false;
		fDefinitions.push_back(unnamed);
		return B_OK;
	}
	if (fDefinitions.empty() || !fDefinitions.back().named)
		return Fail("\"" + tokens[0] + "\" outside a resource");
	if (tokens[0] == "field")
		return ParseField(tokens);
	status_t status = FinishMessage();
	if (status != B_OK)
		return status;
	return ParseData(tokens);
}

status_t ResourceDefinitions::ParseResource(const std::vector<std::string>& tokens)
{
	ResourceDefinition definition;
	int64 id;
	if (tokens.size() != 4 || !ParseTypeCode(tokens[1], &definition.type)
		|| !ParseNumber(tokens[2], INT32_MIN, INT32_MAX, &id) || !IsString(tokens[3]))
		return Fail("expected: resource 'TYPE' ID \"name\"");
	definition.id = (int32)id;
	definition.name = tokens[3].substr(1);
	if (definition.name.find('\0') != std::string::npos)
		return Fail("a resource name cannot hold a NUL");
	fDefinitions.push_back(definition);
	return B_OK;
}

status_t ResourceDefinitions::ParseData(const std::vector<std::string>& tokens)
{
	std::vector<uint8>& data = fDefinitions.back().data;
	const std::string& kind = tokens[0];
	if (kind == "string") {
		if (tokens.size() != 2 || !IsString(tokens[1]))
			return Fail("expected: string \"text\"");
		data.insert(data.end(), tokens[1].begin() + 1, tokens[1].end());
		data.push_back(0);
		return B_OK;
	}
	if (kind == "uint32") {
		int64 value;
		if (tokens.size() != 2 || !ParseNumber(tokens[1], 0, UINT32_MAX, &value))
			return Fail("expected: uint32 NUMBER");
		AppendWord(&data, (uint32)value);
		return B_OK;
	}
	if (kind == "flags")
		return ParseFlags(tokens, &data);
	if (kind == "version")
		return ParseVersion(tokens, &data);
	if (kind == "icon")
		return ParseIcon(tokens, &data);
	if (kind == "message") {
		int64 what;
		type_code code;
		if (tokens.size() == 2 && ParseTypeCode(tokens[1], &code))
			what = code;
		else if (tokens.size() != 2 || !ParseNumber(tokens[1], 0, UINT32_MAX, &what))
			return Fail("expected: message WHAT");
		fMessage = std::make_unique<BMessage>((uint32)what);
		return B_OK;
	}
	return Fail("unknown kind of data \"" + kind + "\"");
}

status_t ResourceDefinitions::ParseField(const std::vector<std::string>& tokens)
{
	if (!fMessage)
		return Fail("a field outside a message");
	if (tokens.size() != 4 || !IsString(tokens[1]))
		return Fail("expected: field \"name\" KIND VALUE");
	std::string name = tokens[1].substr(1);
	status_t status;
	if (tokens[2] == "string" && IsString(tokens[3])) {
		status = fMessage->AddString(name.c_str(), tokens[3].c_str() + 1);
	} else if (tokens[2] == "int32") {
		int64 value;
		if (!ParseNumber(tokens[3], INT32_MIN, INT32_MAX, &value))
			return Fail("an int32 field needs a 32-bit number");
		status = fMessage->AddInt32(name.c_str(), (int32)value);
	} else {
		return Fail("a field is string \"text\" or int32 NUMBER");
	}
	if (status != B_OK)
		return Fail("the field \"" + name + "\" cannot be added");
	return B_OK;
}

status_t ResourceDefinitions::FinishMessage()
{
	if (!fMessage)
		return B_OK;
	std::unique_ptr<BMessage> message = std::move(fMessage);
	ssize_t size = message->FlattenedSize();
	if (size < 0)
		return Fail("the message cannot be flattened");
	std::vector<uint8> flat(size);
	if (message->Flatten((char*)flat.data(), size) != B_OK)
		return Fail("the message cannot be flattened");
	std::vector<uint8>& data = fDefinitions.back().data;
	data.insert(data.end(), flat.begin(), flat.end());
	return B_OK;
}

status_t ResourceDefinitions::ParseFlags(
	const std::vector<std::string>& tokens, std::vector<uint8>* data)
{
	uint32 flags = 0;
	bool expectName = true;
	for (size_t i = 1; i < tokens.size(); i++) {
		if (!expectName) {
			if (tokens[i] != "|")
				return Fail("flags are joined with |");
			expectName = true;
			continue;
		}
		bool known = false;
		for (const NamedValue& flag : kAppFlags) {
			if (tokens[i] == flag.name) {
				flags |= flag.value;
				known = true;
			}
		}
		if (!known)
			return Fail("unknown flag \"" + tokens[i] + "\"");
		expectName = false;
	}
	if (expectName)
		return Fail("expected: flags NAME | NAME ...");
	AppendWord(data, flags);
	return B_OK;
}

status_t ResourceDefinitions::ParseVersion(
	const std::vector<std::string>& tokens, std::vector<uint8>* data)
{
	const char* usage = "expected: version MAJOR.MIDDLE.MINOR VARIETY INTERNAL \"short\" \"long\"";
	if (tokens.size() != 6 || !IsString(tokens[4]) || !IsString(tokens[5]))
		return Fail(usage);
	unsigned major, middle, minor;
	char extra;
	if (sscanf(tokens[1].c_str(), "%u.%u.%u%c", &major, &middle, &minor, &extra) != 3)
		return Fail(usage);
	int variety = -1;
	for (int i = 0; i < 6; i++) {
		if (tokens[2] == kVarieties[i])
			variety = i;
	}
	int64 internal;
	if (variety < 0 || !ParseNumber(tokens[3], 0, UINT32_MAX, &internal))
		return Fail(usage);
	std::string shortInfo = tokens[4].substr(1);
	std::string longInfo = tokens[5].substr(1);
	if (shortInfo.size() >= kShortInfoSize || longInfo.size() >= kLongInfoSize)
		return Fail("the version's short info takes at most 63 bytes, its long info 255");

	std::vector<uint8> record;
	for (uint32 value : {major, middle, minor, (unsigned)variety, (unsigned)internal})
		AppendWord(&record, value);
	record.insert(record.end(), shortInfo.begin(), shortInfo.end());
	record.resize(20 + kShortInfoSize, 0);
	record.insert(record.end(), longInfo.begin(), longInfo.end());
	record.resize(kVersionRecordSize, 0);
	data->insert(data->end(), record.begin(), record.end());
	return B_OK;
}

status_t ResourceDefinitions::ParseIcon(
	const std::vector<std::string>& tokens, std::vector<uint8>* data)
{
	int64 width, height;
	if (tokens.size() != 4 || !ParseNumber(tokens[1], 1, 256, &width)
		|| !ParseNumber(tokens[2], 1, 256, &height) || !IsString(tokens[3]))
		return Fail("expected: icon WIDTH HEIGHT \"file\"");
	std::string path = fBaseDirectory + "/" + tokens[3].substr(1);
	std::string text;
	if (!ReadFile(path, &text))
		return Fail("cannot read " + path);
	std::vector<uint8> pixels;
	std::string error;
	if (IconText::Parse(text, width, height, &pixels, &error) != B_OK)
		return Fail(path + ", " + error);
	data->insert(data->end(), pixels.begin(), pixels.end());
	return B_OK;
}

}  // namespace platform
