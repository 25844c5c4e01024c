#include <Window.h>

#include <gtest/gtest.h>

#include "interface/HostWindowLink.h"

using namespace platform;

// What a window asks of the window system follows from its look, feel and flags: a row for
// the first and the last of each, for every look and feel that asks for something, and for a
// feel that asks for nothing.
TEST(HostWindowLink, HintsFollowTheLookTheFeelAndTheFlags)
{
	const uint32 kAll = kHostWindowUndecorated | kHostWindowDialog | kHostWindowKeepAbove
		| kHostWindowNotClosable | kHostWindowAvoidFocus;
	static const struct {
		window_look look;
		window_feel feel;
		uint32 flags;
		uint32 hints;
	} kRows[] = {
		{B_BORDERED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, 0, kHostWindowUndecorated},
		{B_NO_BORDER_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, 0, kHostWindowUndecorated},
		{B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, 0, 0},
		{B_MODAL_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, 0, kHostWindowDialog},
		{B_FLOATING_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, 0, kHostWindowUtility},
		{B_TITLED_WINDOW_LOOK, B_MODAL_SUBSET_WINDOW_FEEL, 0, kHostWindowDialog},
		{B_TITLED_WINDOW_LOOK, B_MODAL_APP_WINDOW_FEEL, 0, kHostWindowDialog},
		{B_TITLED_WINDOW_LOOK, B_MODAL_ALL_WINDOW_FEEL, 0,
			kHostWindowDialog | kHostWindowKeepAbove},
		{B_TITLED_WINDOW_LOOK, B_FLOATING_APP_WINDOW_FEEL, 0, 0},
		{B_TITLED_WINDOW_LOOK, B_FLOATING_ALL_WINDOW_FEEL, 0, kHostWindowKeepAbove},
		// A dialog is never also a utility window.
		{B_FLOATING_WINDOW_LOOK, B_MODAL_APP_WINDOW_FEEL, 0, kHostWindowDialog},
		{B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, B_NOT_MOVABLE, 0},
		{B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, B_NOT_CLOSABLE, kHostWindowNotClosable},
		{B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, B_AVOID_FOCUS, kHostWindowAvoidFocus},
		{B_TITLED_WINDOW_LOOK, B_NORMAL_WINDOW_FEEL, B_ASYNCHRONOUS_CONTROLS, 0},
		{B_NO_BORDER_WINDOW_LOOK, B_MODAL_ALL_WINDOW_FEEL, ~0u, kAll},
	};
	for (size_t row = 0; row < std::size(kRows); row++) {
		const auto& test = kRows[row];
		EXPECT_EQ(HostWindowLink::HintsFor(test.look, test.feel, test.flags), test.hints)
			<< "row " << row;
	}
}
