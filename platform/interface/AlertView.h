#ifndef PLATFORM_ALERT_VIEW_H
#define PLATFORM_ALERT_VIEW_H

#include <View.h>

#include "interface/AlertLayout.h"

class BAlert;
class BBitmap;

namespace platform {

// The one view of an alert: draws its icon, text and buttons, and turns a click on a
// button into the alert's answer.
class AlertView : public BView {
public:
	AlertView(BAlert* alert, const AlertLayout& layout);
	virtual ~AlertView();

	virtual void Draw(BRect updateRect);
	virtual void MouseDown(BPoint where);
	virtual void MouseUp(BPoint where);

	const AlertLayout& Layout() const { return fLayout; }

private:
	void DrawText();
	void DrawButton(int32 index);

	BAlert* fAlert;
	AlertLayout fLayout;
	BBitmap* fIcon;
	int32 fPressed;  // the button the pointer went down on, or -1
};

}  // namespace platform

#endif
