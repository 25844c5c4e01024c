#ifndef _APP_DEFS_H
#define _APP_DEFS_H

#include <SupportDefs.h>

// System message codes.
enum {
	B_ABOUT_REQUESTED = '_ABR',
	B_ARGV_RECEIVED = '_ARG',
	B_QUIT_REQUESTED = '_QRQ',
	B_READY_TO_RUN = '_RTR',
	B_REFS_RECEIVED = '_RRC',
	B_KEY_DOWN = '_KYD',
	B_KEY_UP = '_KUP',
	B_MOUSE_DOWN = '_MDN',
	B_MOUSE_MOVED = '_MMV',
	B_MOUSE_UP = '_MUP',
	B_WINDOW_ACTIVATED = '_ACT',
	B_WINDOW_MOVED = '_WMV',
	B_QUIT_ON_WINDOW_CLOSE = '_QWC'
};

// Other commands.
enum {
	B_SIMPLE_DATA = 'DATA',
	B_NO_REPLY = '_NRP',
	B_MESSAGE_NOT_UNDERSTOOD = '_MNU'
};

// Application flags (the "BEOS:APP_FLAGS" resource).
#define B_SINGLE_LAUNCH (0x0)
#define B_MULTIPLE_LAUNCH (0x1)
#define B_EXCLUSIVE_LAUNCH (0x2)
#define B_LAUNCH_MASK (0x3)
#define B_BACKGROUND_APP (0x4)
#define B_ARGV_ONLY (0x8)

#endif
