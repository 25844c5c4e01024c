#ifndef PLATFORM_MESSAGE_DATA_H
#define PLATFORM_MESSAGE_DATA_H

#include <Entry.h>
#include <Message.h>

#include <memory>
#include <string>
#include <vector>

namespace platform {

// One item of a field. bytes is what FindData() hands out, in this machine's byte order;
// references and nested messages also keep the object itself, so that finding one gives back
// everything that was added, not only what the flat form can carry.
struct MessageItem {
	std::vector<uint8> bytes;
	std::unique_ptr<entry_ref> ref;
	std::unique_ptr<BMessage> message;

	MessageItem() = default;
	MessageItem(const MessageItem& other);
	MessageItem(MessageItem&& other) = default;
	MessageItem& operator=(const MessageItem& other);
	MessageItem& operator=(MessageItem&& other) = default;
};

struct MessageField {
	std::string name;
	type_code type = 0;
	bool fixedSize = true;
	std::vector<MessageItem> items;
};

// The byte size of an item of a type whose items all have one size, 0 for other types.
size_t FixedSizeOfType(type_code type);

}  // namespace platform

struct BMessage::Data {
	std::vector<platform::MessageField> fields;
	bool dropped = false;
	BPoint dropPoint;

	platform::MessageField* FindField(const char* name);
};

#endif
