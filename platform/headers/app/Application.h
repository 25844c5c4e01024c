#ifndef _APPLICATION_H
#define _APPLICATION_H

#include <Looper.h>

#include <string>

class BWindow;

// The application object. Run() runs its loop on the calling thread until the application
// quits. Entry references handed over at launch arrive as one B_REFS_RECEIVED once the loop
// runs; other command-line arguments as one B_ARGV_RECEIVED.
class BApplication : public BLooper {
public:
	explicit BApplication(const char* signature);
	virtual ~BApplication();

	virtual thread_id Run();
	virtual void Quit();
	virtual bool QuitRequested();
	virtual void ReadyToRun();
	virtual void ArgvReceived(int32 argc, char** argv);
	virtual void RefsReceived(BMessage* message);
	virtual void AboutRequested();
	virtual void MessageReceived(BMessage* message);
	virtual void DispatchMessage(BMessage* message, BHandler* handler);

private:
	void QuitAllWindows();
	bool AskWindowsToQuit();
	void DeliverLaunchMessages();
	void DispatchArgv(BMessage* message);

	std::string fSignature;
};

extern BApplication* be_app;

#endif
