#ifndef PLATFORM_HOST_MESSAGES_H
#define PLATFORM_HOST_MESSAGES_H

#include <AppDefs.h>

#include <stddef.h>

// What a host posts to a window's looper.
//
//   B_MOUSE_DOWN, B_MOUSE_UP, B_MOUSE_MOVED  "where" (BPoint, window coordinates),
//                                            "buttons" (int32), "when" (int64),
//                                            "modifiers" (int32)
//   B_KEY_DOWN                               "bytes" (string, UTF-8), "raw_char" (int32),
//                                            "modifiers" (int32), "when" (int64)
//   B_QUIT_REQUESTED                         the close box
//   kMsgHostExpose                           "rect" (BRect): repaint from the back buffer
//   kMsgHostDragData                         once per drag, before its first motion or its
//                                            drop: what is dragged, raw, as one of
//                                            "uri-list" (B_RAW_TYPE: the list's bytes, at
//                                            most kMaxDragUriListBytes), "text" (B_RAW_TYPE:
//                                            UTF-8, at most kMaxDragTextPreview bytes of it),
//                                            or "drag" (BMessage: a dragged message made by
//                                            a test's host); none of them: nothing usable
//   kMsgHostDragMotion                       "where" (BPoint); a window keeps only the
//                                            latest of those queued one after the other
//   kMsgHostDragExit                         the drag left the window
//   kMsgHostDrop                             "where" (BPoint): the drag's data is dropped
//
// "buttons" and "modifiers" are kHost* bits and "bytes" the character a key makes (Return is
// '\n', Backspace '\b', Tab '\t', Escape 0x1b): the kits' own values, which the window side
// checks once, so that a host needs no kit header.
namespace platform {

enum {
	kHostPrimaryButton = 0x01,
	kHostSecondaryButton = 0x02,
	kHostTertiaryButton = 0x04
};

enum {
	kHostShiftKey = 0x01,
	kHostCommandKey = 0x02,
	kHostControlKey = 0x04
};

// What one drag may hand a window. Vellumark never reads dragged text: a preview is plenty.
const size_t kMaxDragTextPreview = 64 * 1024;
const size_t kMaxDragUriListBytes = 4 * 1024 * 1024;

enum {
	kMsgHostExpose = 'pEXP',
	kMsgHostDragData = 'pDDT',
	kMsgHostDragMotion = 'pDMV',
	kMsgHostDragExit = 'pDEX',
	kMsgHostDrop = 'pDRP'
};

// How much of a dragged text a preview keeps: at most kMaxDragTextPreview bytes, cut before
// a UTF-8 character that would not fit whole.
inline size_t DragTextPreviewLength(const char* text, size_t length)
{
	if (length <= kMaxDragTextPreview)
		return length;
	size_t cut = kMaxDragTextPreview;
	while (cut > 0 && ((unsigned char)text[cut] & 0xC0) == 0x80)
		cut--;
	return cut;
}

}  // namespace platform

#endif
