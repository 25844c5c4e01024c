#ifndef PLATFORM_MESSAGE_FORMAT_H
#define PLATFORM_MESSAGE_FORMAT_H

#include <Message.h>

#include <vector>

struct entry_ref;

namespace platform {

struct MessageItem;

// The flat form of a message, the older "FOB1" layout with every number big-endian:
//
//   "FOB1", checksum, total size, what (4 bytes each), message flags (1 byte), the fields,
//   a 0 byte. The checksum adds the size word, the what word and the flags byte.
//
//   A field: flags (0x01 valid, 0x02 count and data size take one byte each, 0x04 all items
//   have one size, 0x08 one item and no count), type, [count], data size, name length
//   (1 byte), the name without NUL, the data. Items of a fixed size follow one another;
//   every other item is its size word and its bytes, filled with zeros to a multiple of 8.
//
// Reading checks every size against the bytes at hand and fails with B_NOT_A_MESSAGE (no
// magic) or B_BAD_DATA (anything else wrong) without touching the message.
class MessageFormat {
public:
	static ssize_t FlattenedSize(const BMessage& message);
	static status_t Flatten(const BMessage& message, uint8* buffer, size_t size);
	static status_t Unflatten(const uint8* buffer, size_t size, BMessage* message);

	// The flat form of an entry reference as a message carries it: device and directory as
	// 64-bit numbers, then the name and the directory's path, each with its NUL.
	static std::vector<uint8> FlattenRef(const entry_ref& ref);
	static status_t UnflattenRef(const uint8* bytes, size_t size, entry_ref* ref);

	// Makes an item of the type from its bytes in this machine's order, checking that they
	// are a well-formed item of that type (B_BAD_VALUE if not).
	static status_t BuildItem(type_code type, const uint8* bytes, size_t size, MessageItem* item);

	// Turns an item between this machine's byte order and the flat form's.
	static void SwapItem(type_code type, uint8* bytes, size_t size);

	static const size_t kHeaderSize = 17;
	static const int kMaxDepth = 32;
};

}  // namespace platform

#endif
