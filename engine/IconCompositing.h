#ifndef ICON_COMPOSITING_H
#define ICON_COMPOSITING_H

#include <SupportDefs.h>

// Draws a 16x16 item icon over a folder's icons, on plain colour-mapped pixel buffers
// (one byte a pixel, rows from the top, no gap). Item pixels equal to transparent leave the
// folder's pixel as it is.

// Full size, into rows 16-31 and columns 8-23 of the 32x32 large icon.
void ComposeLargeIcon(const uint8* itemIcon, uint8* largeIcon, uint8 transparent);

// Half size (the top-left pixel of every 2x2 block), into rows 8-15 and columns 4-11 of the
// 16x16 mini icon.
void ComposeMiniIcon(const uint8* itemIcon, uint8* miniIcon, uint8 transparent);

#endif
