#include "app/LaunchArguments.h"

#include <Entry.h>
#include <Message.h>

#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>

namespace platform {

namespace {

std::mutex sMutex;
std::optional<std::vector<std::string>> sGiven;

std::string ReadFile(const char* path)
{
	std::ifstream file(path, std::ios::binary);
	return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

}  // namespace

std::vector<std::string> LaunchArguments::Get()
{
	{
		std::lock_guard<std::mutex> lock(sMutex);
		if (sGiven)
			return *sGiven;
	}
	// NUL-separated, each argument NUL-terminated.
	std::string text = ReadFile("/proc/self/cmdline");
	std::vector<std::string> arguments;
	size_t start = 0;
	while (start < text.size()) {
		size_t end = text.find('\0', start);
		if (end == std::string::npos)
			end = text.size();
		arguments.push_back(text.substr(start, end - start));
		start = end + 1;
	}
	return arguments;
}

void LaunchArguments::Set(const std::vector<std::string>& arguments)
{
	std::lock_guard<std::mutex> lock(sMutex);
	sGiven = arguments;
}

void LaunchArguments::Reset()
{
	std::lock_guard<std::mutex> lock(sMutex);
	sGiven.reset();
}

std::vector<BMessage*> LaunchArguments::Messages(const std::vector<std::string>& arguments)
{
	std::vector<BMessage*> messages;
	if (arguments.size() < 2)
		return messages;
	BMessage* message =
		arguments[1] == kRefsSwitch ? RefsMessage(arguments) : ArgvMessage(arguments);
	if (message != NULL)
		messages.push_back(message);
	return messages;
}

bool LaunchArguments::HandsOverRefs(const std::vector<std::string>& arguments)
{
	if (arguments.size() < 2 || arguments[1] != kRefsSwitch)
		return false;
	std::unique_ptr<BMessage> message(RefsMessage(arguments));
	return message != nullptr;
}

BMessage* LaunchArguments::RefsMessage(const std::vector<std::string>& arguments)
{
	BMessage* message = new BMessage(B_REFS_RECEIVED);
	for (size_t i = 2; i < arguments.size(); i++) {
		struct stat st;
		entry_ref ref;
		if (stat(arguments[i].c_str(), &st) != 0
			|| get_ref_for_path(arguments[i].c_str(), &ref) != B_OK)
			continue;
		message->AddRef("refs", &ref);
	}
	if (!message->HasRef("refs")) {
		delete message;
		return NULL;
	}
	return message;
}

BMessage* LaunchArguments::ArgvMessage(const std::vector<std::string>& arguments)
{
	BMessage* message = new BMessage(B_ARGV_RECEIVED);
	message->AddInt32("argc", (int32)arguments.size());
	for (const std::string& argument : arguments)
		message->AddString("argv", argument.c_str());
	return message;
}

std::string LaunchArguments::ProgramName()
{
	std::string name = ReadFile("/proc/self/comm");
	while (!name.empty() && (name.back() == '\n' || name.back() == '\0'))
		name.pop_back();
	if (name.empty()) {
		std::vector<std::string> arguments = Get();
		if (!arguments.empty()) {
			name = arguments[0];
			size_t slash = name.rfind('/');
			if (slash != std::string::npos)
				name.erase(0, slash + 1);
		}
	}
	return name.empty() ? "application" : name;
}

}  // namespace platform
