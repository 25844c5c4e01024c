#ifndef C_MAIN_VIEW_H
#define C_MAIN_VIEW_H

#include <View.h>

class CFileDropBox;
class CFlatButton;

// Fills the main window: the About and Quit buttons and the two drop boxes, and the place
// where a tagged drop is handed to the window's drop processing.
class CMainView : public BView {
public:
	CMainView(BRect frame, const char* name, uint32 resizingMode, uint32 flags);
	virtual ~CMainView();

	virtual void MessageReceived(BMessage* message);

private:
	CFileDropBox* fSetBox;
	CFileDropBox* fClearBox;
	CFlatButton* fAboutButton;
	CFlatButton* fQuitButton;
};

#endif
