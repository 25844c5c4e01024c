#ifndef C_MAIN_WINDOW_H
#define C_MAIN_WINDOW_H

#include <Window.h>

class CMainView;

enum {
	kAboutCommand = 'abot',
	kQuitCommand = 'quit'
};

// The program's one window. Every way of quitting it quits the application.
class CMainWindow : public BWindow {
public:
	CMainWindow();
	virtual ~CMainWindow();

	virtual void MessageReceived(BMessage* message);
	virtual bool QuitRequested();

	// Runs a Set icon or Clear icon drop; touches no member of the window, so the
	// application thread may call it too.
	void ProcessFile(BMessage* message);

private:
	CMainView* fMainView;
};

#endif
