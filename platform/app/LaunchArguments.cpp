#include "app/LaunchArguments.h"

#include <Entry.h>
#include <Message.h>

#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>

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
	// Each argument ends with a NUL.
	std::istringstream text(ReadFile("/proc/self/cmdline"));
	std::vector<std::string> arguments;
	for (std::string argument; std::getline(text, argument, '\0');)
		arguments.push_back(argument);
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

// The name the kernel keeps for the process, one line. Where that cannot be read, neither can
// the command line, so it is the only source there is.
std::string LaunchArguments::ProgramName()
{
	std::string name = ReadFile("/proc/self/comm");
	name = name.substr(0, name.find('\n'));
	return name.empty() ? "application" : name;
}

}  // namespace platform
