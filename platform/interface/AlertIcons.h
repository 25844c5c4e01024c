#ifndef PLATFORM_ALERT_ICONS_H
#define PLATFORM_ALERT_ICONS_H

#include <Alert.h>
#include <SupportDefs.h>

namespace platform {

const int32 kAlertIconSize = 32;

// The icon an alert of the type shows: kAlertIconSize * kAlertIconSize bytes of B_CMAP8,
// rows from the top, B_TRANSPARENT_8_BIT around the figure; NULL for B_EMPTY_ALERT. Only
// the info icon is drawn; the other types show it too.
const uint8* AlertIconBits(alert_type type);

}  // namespace platform

#endif
