#ifndef PLATFORM_APP_LAUNCH_ARGUMENTS_H
#define PLATFORM_APP_LAUNCH_ARGUMENTS_H

#include <string>
#include <vector>

class BMessage;

namespace platform {

// The command line the application was started with, and the launch switch that turns it
// into the messages the application gets once its loop runs.
//
//   prog --refs FILE...   one B_REFS_RECEIVED: "refs", an entry_ref for each FILE that
//                         exists (none: no message). This is how the desktop entry hands
//                         files over.
//   prog ARG...           one B_ARGV_RECEIVED: "argc" (int32) and "argv" (strings,
//                         the program's name first).
//   prog                  nothing.
class LaunchArguments {
public:
	// The program's main does not pass argv on, so the command line is read from
	// /proc/self/cmdline, unless Set() gave another.
	static std::vector<std::string> Get();
	// For tests: the command line the next application sees.
	static void Set(const std::vector<std::string>& arguments);
	static void Reset();

	// The caller owns the messages, in the order they are to arrive.
	static std::vector<BMessage*> Messages(const std::vector<std::string>& arguments);

	// Whether the command line hands files over (the switch and at least one existing file):
	// work that needs no display.
	static bool HandsOverRefs(const std::vector<std::string>& arguments);

	// The program's name, for messages to the user.
	static std::string ProgramName();

	static constexpr const char* kRefsSwitch = "--refs";

private:
	static BMessage* RefsMessage(const std::vector<std::string>& arguments);
	static BMessage* ArgvMessage(const std::vector<std::string>& arguments);
};

}  // namespace platform

#endif
