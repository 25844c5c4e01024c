#ifndef _FONT_H
#define _FONT_H

#include <SupportDefs.h>

typedef struct font_height {
	float ascent;
	float descent;
	float leading;
} font_height;

#endif
