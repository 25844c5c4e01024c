#ifndef PLATFORM_WINDOW_MESSAGES_H
#define PLATFORM_WINDOW_MESSAGES_H

#include <SupportDefs.h>

namespace platform {

// The private messages a window posts to its own queue. The host's input comes as the kits'
// own B_MOUSE_DOWN, B_MOUSE_UP, B_MOUSE_MOVED ("where", "buttons", "when", "modifiers"),
// B_KEY_DOWN ("bytes", "raw_char", "key", "modifiers", "when") and B_QUIT_REQUESTED, and as:
//
//   kMsgWindowExpose      "rect" (BRect): repaint from the back buffer
//   kMsgWindowDragData    once per drag, before its first motion or its drop: what is
//                         dragged, raw, as one of "uri-list" (B_RAW_TYPE: the list's whole
//                         lines, at most kMaxDragUriListBytes), "text" (B_RAW_TYPE: UTF-8, at
//                         most kMaxDragTextPreview bytes of it) or "drag" (BMessage: a dragged
//                         message made inside the process); none of them: nothing usable
//   kMsgWindowDragMotion  "where" (BPoint); a window keeps only the latest of those queued
//                         one after the other
//   kMsgWindowDragExit    the drag left the window
//   kMsgWindowDrop        "where" (BPoint): the drag's data is dropped
enum {
	kMsgWindowExpose = 'pEXP',
	kMsgWindowDragData = 'pDDT',
	kMsgWindowDragMotion = 'pDMV',
	kMsgWindowDragExit = 'pDEX',
	kMsgWindowDrop = 'pDRP',
	kMsgWindowFirstShow = 'pWSH',  // paint everything, present, then show on the screen
	kMsgWindowUpdate = 'pWUP'  // draw what Invalidate asked for
};

}  // namespace platform

#endif
