#ifndef PLATFORM_MESSAGE_ACCESS_H
#define PLATFORM_MESSAGE_ACCESS_H

#include <Message.h>

#include <vector>

namespace platform {
struct MessageField;
}

namespace platform {

// What the platform may do to a message that the program cannot: mark it as delivered by a
// drop, so that WasDropped() and DropPoint() report it, and reach its fields directly.
class MessageAccess {
public:
	static void SetDropped(BMessage* message, bool dropped, BPoint where);

	static std::vector<platform::MessageField>& Fields(BMessage* message);
	static const std::vector<platform::MessageField>& Fields(const BMessage* message);
};

}  // namespace platform

#endif
