#include <Application.h>

#include <Message.h>
#include <OS.h>
#include <StorageDefs.h>
#include <Window.h>

#include "app/FirstFrameWork.h"
#include "app/LaunchArguments.h"
#include "app/LooperQueue.h"
#include "app/LooperThreads.h"
#include "app/WindowRegistry.h"
#include "host/Host.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

using platform::LaunchArguments;
using platform::LooperThreads;
using platform::WindowRegistry;

BApplication* be_app = NULL;

namespace {

// Constant-initialised, so that the composition may set it before main in any order.
void (*sFirstFrameWork)() = NULL;

// A MIME token: printable ASCII without blanks and without the separators MIME reserves.
bool IsTokenChar(char c)
{
	return c > ' ' && c < 0x7f && strchr("()<>@,;:\\\"/[]?=", c) == NULL;
}

// "application/" and a non-empty subtype, as the system's registry of types requires.
bool IsApplicationSignature(const char* signature)
{
	static const char kSupertype[] = "application/";
	if (signature == NULL || strlen(signature) >= B_MIME_TYPE_LENGTH
		|| strncasecmp(signature, kSupertype, sizeof(kSupertype) - 1) != 0)
		return false;
	const char* subtype = signature + sizeof(kSupertype) - 1;
	if (*subtype == '\0')
		return false;
	for (const char* c = subtype; *c != '\0'; c++) {
		if (!IsTokenChar(*c))
			return false;
	}
	return true;
}

}  // namespace

void platform::SetFirstFrameWork(void (*work)())
{
	sFirstFrameWork = work;
}

BApplication::BApplication(const char* signature) :
	BLooper(signature)
{
	// Either the application can run, or the program ends here with one line saying why.
	std::string program = LaunchArguments::ProgramName();
	if (!IsApplicationSignature(signature)) {
		fprintf(stderr,
			"%s: bad application signature \"%s\": it must be a MIME type "
			"\"application/...\"\n",
			program.c_str(), signature != NULL ? signature : "");
		exit(1);
	}
	fSignature = signature;
	be_app = this;

	platform::Host& host = platform::TheHost();
	if (host.Init(sFirstFrameWork) != B_OK) {
		fprintf(stderr, "%s: cannot open the display: %s\n", program.c_str(), host.LastError());
		exit(1);
	}
}

BApplication::~BApplication()
{
	// Windows left quit without being asked; then any other looper still running. None of
	// their threads is left afterwards.
	QuitAllWindows();
	LooperThreads::QuitAndJoinAll();
	platform::TheHost().Shutdown();
	if (be_app == this)
		be_app = NULL;
}

thread_id BApplication::Run()
{
	if (fRunCalled)
		return B_ALREADY_RUNNING;
	DeliverLaunchMessages();
	RunLoopOnCallingThread();
	return Thread();
}

void BApplication::DeliverLaunchMessages()
{
	// Ahead of anything posted before Run(): the launch messages come first, then the
	// application is told it is ready.
	std::vector<BMessage*> messages = LaunchArguments::Messages(LaunchArguments::Get());
	messages.push_back(new BMessage(B_READY_TO_RUN));
	for (auto it = messages.rbegin(); it != messages.rend(); ++it)
		fQueue->PushFront(*it, this);
}

void BApplication::Quit()
{
	if (fRunCalled && Thread() == find_thread(NULL)) {
		fQuitting = true;
		return;
	}
	// From another thread: the loop ends once it reaches the order; Run() then returns on
	// the application's own thread, and main deletes the application.
	fQueue->PushQuit();
}

bool BApplication::QuitRequested()
{
	return AskWindowsToQuit();
}

bool BApplication::AskWindowsToQuit()
{
	for (BLooper* window : WindowRegistry::List()) {
		// A window that is already going away cannot be locked; it needs no asking.
		if (!window->Lock())
			continue;
		if (!window->QuitRequested()) {
			window->Unlock();
			return false;
		}
		window->Quit();
	}
	return true;
}

void BApplication::QuitAllWindows()
{
	for (BLooper* window : WindowRegistry::List()) {
		if (window->Lock())
			window->Quit();
	}
}

void BApplication::ReadyToRun()
{
}

void BApplication::ArgvReceived(int32 /*argc*/, char** /*argv*/)
{
}

void BApplication::RefsReceived(BMessage* /*message*/)
{
}

void BApplication::AboutRequested()
{
}

void BApplication::MessageReceived(BMessage* message)
{
	BLooper::MessageReceived(message);
}

void BApplication::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (handler != this) {
		BLooper::DispatchMessage(message, handler);
		return;
	}
	switch (message->what) {
		case B_READY_TO_RUN:
			ReadyToRun();
			break;
		case B_ARGV_RECEIVED:
			DispatchArgv(message);
			break;
		case B_REFS_RECEIVED:
			RefsReceived(message);
			break;
		case B_ABOUT_REQUESTED:
			AboutRequested();
			break;
		default:
			BLooper::DispatchMessage(message, handler);
			break;
	}
}

void BApplication::DispatchArgv(BMessage* message)
{
	// Without a count, no argument is read.
	int32 argc = 0;
	message->FindInt32("argc", &argc);
	std::vector<char*> argv;
	const char* argument = NULL;
	for (int32 i = 0; i < argc && message->FindString("argv", i, &argument) == B_OK; i++)
		argv.push_back(const_cast<char*>(argument));
	if (argv.empty())
		return;
	int32 count = (int32)argv.size();
	argv.push_back(NULL);
	ArgvReceived(count, argv.data());
}
