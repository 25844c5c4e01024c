#ifndef PLATFORM_HOST_MESSAGES_H
#define PLATFORM_HOST_MESSAGES_H

#include <AppDefs.h>

// What a host posts to a window's looper.
//
//   B_MOUSE_DOWN, B_MOUSE_UP, B_MOUSE_MOVED  "where" (BPoint, window coordinates),
//                                            "buttons" (int32), "when" (int64),
//                                            "modifiers" (int32)
//   B_KEY_DOWN                               "bytes" (string, UTF-8), "raw_char" (int32),
//                                            "modifiers" (int32), "when" (int64)
//   B_QUIT_REQUESTED                         the close box
//   kMsgHostExpose                           "rect" (BRect): repaint from the back buffer
//   kMsgHostDragMotion                       "where" (BPoint), "drag" (BMessage: the dragged
//                                            message, B_SIMPLE_DATA, with "refs" for files)
//   kMsgHostDragExit                         the drag left the window
//   kMsgHostDrop                             "where" (BPoint), "drag" (BMessage)
//   kMsgHostCall                             "function" (pointer to a void (*)(void*)),
//                                            "cookie" (pointer): once nothing else is
//                                            queued, the window draws what is pending,
//                                            presents it, then calls function(cookie) on
//                                            its thread, locked
namespace platform {

enum {
	kMsgHostExpose = 'pEXP',
	kMsgHostDragMotion = 'pDMV',
	kMsgHostDragExit = 'pDEX',
	kMsgHostDrop = 'pDRP',
	kMsgHostCall = 'pCAL'
};

}  // namespace platform

#endif
