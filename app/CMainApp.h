#ifndef C_MAIN_APP_H
#define C_MAIN_APP_H

#include <Application.h>

class CMainWindow;

extern const char* const kAppSignature;

class CMainApp : public BApplication {
public:
	explicit CMainApp(const char* signature);
	virtual ~CMainApp();

	virtual void RefsReceived(BMessage* message);
	virtual void AboutRequested();

private:
	CMainWindow* fMainWindow;
};

#endif
