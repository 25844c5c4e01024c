#ifndef PLATFORM_ICON_TEXT_H
#define PLATFORM_ICON_TEXT_H

#include <SupportDefs.h>

#include <string>
#include <vector>

namespace platform {

// Colour-mapped icons as text, one character per pixel:
//
//   free commentary, up to the line "legend"
//   legend
//   C  INDEX  description        (one line per character)
//   pixels
//   one row of characters per pixel row, from the top
class IconText {
public:
	static status_t Parse(const std::string& text, int32 width, int32 height,
		std::vector<uint8>* pixels, std::string* error);

	// The pixels as a legend of the indices they use and the rows, each line indented.
	static std::string Format(
		const uint8* pixels, int32 width, int32 height, const std::string& indent);

private:
	static char CharacterFor(uint8 index, std::vector<char>& legend);
};

}  // namespace platform

#endif
