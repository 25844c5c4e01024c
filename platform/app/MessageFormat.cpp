#include "app/MessageFormat.h"

#include "app/MessageAccess.h"
#include "app/MessageData.h"
#include "support/ByteOrder.h"

#include <Entry.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace platform {

namespace {

const uint8 kMagic[4] = {'F', 'O', 'B', '1'};

const uint8 kMessageValid = 0x01;
const uint8 kFieldValid = 0x01;
const uint8 kFieldMiniSizes = 0x02;
const uint8 kFieldFixedSize = 0x04;
const uint8 kFieldSingleItem = 0x08;
const uint8 kFieldKnownFlags = 0x0F;

// Nesting is bounded so that hostile input cannot exhaust the stack.
thread_local int sDepth = 0;

size_t Padded(size_t size)
{
	return (size + 7) & ~(size_t)7;
}

size_t SwapUnit(type_code type)
{
	switch (type) {
		case B_INT16_TYPE:
		case B_UINT16_TYPE:
			return 2;
		case B_INT32_TYPE:
		case B_UINT32_TYPE:
		case B_FLOAT_TYPE:
		case B_POINT_TYPE:
		case B_RECT_TYPE:
			return 4;
		case B_INT64_TYPE:
		case B_UINT64_TYPE:
		case B_DOUBLE_TYPE:
		case B_POINTER_TYPE:
			return 8;
		default:
			return 1;
	}
}

// A cursor over bytes that may not be trusted: every read says whether it fitted.
class Reader {
public:
	Reader(const uint8* start, size_t size) :
		fPos(start),
		fEnd(start + size)
	{
	}

	size_t Left() const { return fEnd - fPos; }

	bool Byte(uint8* value)
	{
		if (Left() < 1)
			return false;
		*value = *fPos++;
		return true;
	}

	bool Word(uint32* value)
	{
		if (Left() < 4)
			return false;
		*value = uint32(ReadBig(fPos, 4));
		fPos += 4;
		return true;
	}

	// One byte when the field's sizes are small, else a word.
	bool Size(bool mini, uint32* value)
	{
		if (!mini)
			return Word(value);
		uint8 byte;
		if (!Byte(&byte))
			return false;
		*value = byte;
		return true;
	}

	bool Bytes(size_t count, const uint8** bytes)
	{
		if (Left() < count)
			return false;
		*bytes = fPos;
		fPos += count;
		return true;
	}

private:
	const uint8* fPos;
	const uint8* fEnd;
};

size_t FieldDataSize(const MessageField& field)
{
	size_t size = 0;
	for (const MessageItem& item : field.items)
		size += field.fixedSize ? item.bytes.size() : Padded(4 + item.bytes.size());
	return size;
}

// Every item takes at least one byte, so the count fits a byte whenever the size does.
bool HasMiniSizes(size_t dataSize)
{
	return dataSize < 256;
}

size_t FieldSize(const MessageField& field)
{
	size_t dataSize = FieldDataSize(field);
	bool mini = HasMiniSizes(dataSize);
	size_t sizeBytes = mini ? 1 : 4;
	size_t countBytes = field.items.size() == 1 ? 0 : sizeBytes;
	return 1 + 4 + countBytes + sizeBytes + 1 + field.name.size() + dataSize;
}

uint8* WriteField(const MessageField& field, uint8* out)
{
	size_t dataSize = FieldDataSize(field);
	bool mini = HasMiniSizes(dataSize);
	bool single = field.items.size() == 1;

	*out++ = kFieldValid | (mini ? kFieldMiniSizes : 0) | (field.fixedSize ? kFieldFixedSize : 0)
		| (single ? kFieldSingleItem : 0);
	WriteBig(out, field.type, 4);
	out += 4;
	auto putSize = [&](uint32 value) {
		if (mini) {
			*out++ = (uint8)value;
		} else {
			WriteBig(out, value, 4);
			out += 4;
		}
	};
	if (!single)
		putSize(field.items.size());
	putSize(dataSize);
	*out++ = (uint8)field.name.size();
	memcpy(out, field.name.data(), field.name.size());
	out += field.name.size();

	for (const MessageItem& item : field.items) {
		size_t size = item.bytes.size();
		uint8* start = out;
		if (!field.fixedSize) {
			WriteBig(out, size, 4);
			out += 4;
		}
		if (size > 0)
			memcpy(out, item.bytes.data(), size);
		MessageFormat::SwapItem(field.type, out, size);
		out += size;
		if (!field.fixedSize) {
			size_t padded = Padded(out - start);
			memset(out, 0, padded - (out - start));
			out = start + padded;
		}
	}
	return out;
}

uint32 Checksum(const uint8* header)
{
	return uint32(ReadBig(header + 8, 4)) + uint32(ReadBig(header + 12, 4)) + header[16];
}

// count is at least one.
status_t ReadItems(
	Reader& data, const MessageField& shape, uint32 count, std::vector<MessageItem>* items)
{
	size_t fixedSize = 0;
	if (shape.fixedSize) {
		if (data.Left() % count != 0 || data.Left() == 0)
			return B_BAD_DATA;
		fixedSize = data.Left() / count;
	} else if (count > data.Left() / 4) {
		return B_BAD_DATA;
	}

	items->reserve(count);
	for (uint32 i = 0; i < count; i++) {
		uint32 size = fixedSize;
		if (!shape.fixedSize && !data.Word(&size))
			return B_BAD_DATA;
		const uint8* bytes;
		if (!data.Bytes(size, &bytes))
			return B_BAD_DATA;
		std::vector<uint8> host(bytes, bytes + size);
		MessageFormat::SwapItem(shape.type, host.data(), size);

		MessageItem item;
		status_t status = MessageFormat::BuildItem(shape.type, host.data(), size, &item);
		if (status != B_OK)
			return B_BAD_DATA;
		items->push_back(std::move(item));

		if (!shape.fixedSize) {
			// The fill behind the last item may be cut short by the field's end.
			size_t fill = Padded(4 + size) - (4 + size);
			const uint8* skipped;
			data.Bytes(std::min(fill, data.Left()), &skipped);
		}
	}
	return data.Left() == 0 ? B_OK : B_BAD_DATA;
}

status_t ReadField(Reader& in, uint8 flags, MessageField* field)
{
	if ((flags & kFieldValid) == 0 || (flags & ~kFieldKnownFlags) != 0)
		return B_BAD_DATA;
	bool mini = flags & kFieldMiniSizes;
	field->fixedSize = flags & kFieldFixedSize;

	uint32 count = 1;
	uint32 dataSize;
	uint8 nameLength;
	const uint8* name;
	const uint8* data;
	if (!in.Word(&field->type) || ((flags & kFieldSingleItem) == 0 && !in.Size(mini, &count))
		|| !in.Size(mini, &dataSize) || !in.Byte(&nameLength) || !in.Bytes(nameLength, &name)
		|| !in.Bytes(dataSize, &data))
		return B_BAD_DATA;
	if (count == 0 || memchr(name, 0, nameLength) != NULL)
		return B_BAD_DATA;
	field->name.assign((const char*)name, nameLength);

	Reader items(data, dataSize);
	return ReadItems(items, *field, count, &field->items);
}

status_t ReadFields(Reader& in, std::vector<MessageField>* fields)
{
	while (true) {
		uint8 flags;
		if (!in.Byte(&flags))
			return B_BAD_DATA;
		if (flags == 0)
			return in.Left() == 0 ? B_OK : B_BAD_DATA;

		MessageField field;
		status_t status = ReadField(in, flags, &field);
		if (status != B_OK)
			return status;
		for (const MessageField& other : *fields) {
			if (other.name == field.name)
				return B_BAD_DATA;
		}
		fields->push_back(std::move(field));
	}
}

}  // namespace

size_t FixedSizeOfType(type_code type)
{
	switch (type) {
		case B_BOOL_TYPE:
		case B_INT8_TYPE:
		case B_UINT8_TYPE:
		case B_CHAR_TYPE:
			return 1;
		case B_INT16_TYPE:
		case B_UINT16_TYPE:
			return 2;
		case B_INT32_TYPE:
		case B_UINT32_TYPE:
		case B_FLOAT_TYPE:
		case B_RGB_COLOR_TYPE:
			return 4;
		case B_INT64_TYPE:
		case B_UINT64_TYPE:
		case B_DOUBLE_TYPE:
		case B_POINTER_TYPE:
		case B_POINT_TYPE:
			return 8;
		case B_RECT_TYPE:
			return 16;
		default:
			return 0;
	}
}

status_t MessageFormat::BuildItem(
	type_code type, const uint8* bytes, size_t size, MessageItem* item)
{
	size_t fixedSize = FixedSizeOfType(type);
	if (fixedSize != 0 && size != fixedSize)
		return B_BAD_VALUE;
	if (type == B_STRING_TYPE && (size == 0 || bytes[size - 1] != 0))
		return B_BAD_VALUE;

	MessageItem result;
	result.bytes.assign(bytes, bytes + size);
	if (type == B_REF_TYPE) {
		result.ref = std::make_unique<entry_ref>();
		if (UnflattenRef(bytes, size, result.ref.get()) != B_OK)
			return B_BAD_VALUE;
	} else if (type == B_MESSAGE_TYPE) {
		result.message = std::make_unique<BMessage>();
		if (Unflatten(bytes, size, result.message.get()) != B_OK)
			return B_BAD_VALUE;
	}
	*item = std::move(result);
	return B_OK;
}

void MessageFormat::SwapItem(type_code type, uint8* bytes, size_t size)
{
	size_t unit = SwapUnit(type);
	if (unit == 1 || std::endian::native == std::endian::big)
		return;
	for (size_t i = 0; i + unit <= size; i += unit)
		std::reverse(bytes + i, bytes + i + unit);
}

ssize_t MessageFormat::FlattenedSize(const BMessage& message)
{
	size_t size = kHeaderSize + 1;
	for (const MessageField& field : platform::MessageAccess::Fields(&message)) {
		// The flat form gives a name one byte of length.
		if (field.name.size() > 255)
			return B_NAME_TOO_LONG;
		size += FieldSize(field);
	}
	if (size > std::numeric_limits<uint32>::max())
		return B_NO_MEMORY;
	return size;
}

status_t MessageFormat::Flatten(const BMessage& message, uint8* buffer, size_t size)
{
	ssize_t needed = FlattenedSize(message);
	if (needed < 0)
		return needed;
	if (buffer == NULL || size < (size_t)needed)
		return B_BUFFER_OVERFLOW;

	memcpy(buffer, kMagic, 4);
	WriteBig(buffer + 8, needed, 4);
	WriteBig(buffer + 12, message.what, 4);
	buffer[16] = kMessageValid;
	WriteBig(buffer + 4, Checksum(buffer), 4);

	uint8* out = buffer + kHeaderSize;
	for (const MessageField& field : platform::MessageAccess::Fields(&message))
		out = WriteField(field, out);
	*out = 0;
	return B_OK;
}

status_t MessageFormat::Unflatten(const uint8* buffer, size_t size, BMessage* message)
{
	if (buffer == NULL || message == NULL)
		return B_BAD_VALUE;
	if (size < 4 || memcmp(buffer, kMagic, 4) != 0)
		return B_NOT_A_MESSAGE;
	if (size < kHeaderSize + 1)
		return B_BAD_DATA;
	uint32 declared = uint32(ReadBig(buffer + 8, 4));
	if (declared < kHeaderSize + 1 || declared > size)
		return B_BAD_DATA;
	if (uint32(ReadBig(buffer + 4, 4)) != Checksum(buffer) || buffer[16] != kMessageValid)
		return B_BAD_DATA;
	if (sDepth >= kMaxDepth)
		return B_BAD_DATA;

	sDepth++;
	std::vector<MessageField> fields;
	Reader in(buffer + kHeaderSize, declared - kHeaderSize);
	status_t status = ReadFields(in, &fields);
	sDepth--;
	if (status != B_OK)
		return status;

	message->what = uint32(ReadBig(buffer + 12, 4));
	platform::MessageAccess::Fields(message) = std::move(fields);
	platform::MessageAccess::SetDropped(message, false, BPoint());
	return B_OK;
}

std::vector<uint8> MessageFormat::FlattenRef(const entry_ref& ref)
{
	const char* name = ref.name != NULL ? ref.name : "";
	size_t nameSize = strlen(name) + 1;
	size_t pathSize = ref.directory_path.size() + 1;
	std::vector<uint8> bytes(16 + nameSize + pathSize, 0);
	WriteBig(bytes.data(), (uint64)ref.device, 8);
	WriteBig(bytes.data() + 8, (uint64)ref.directory, 8);
	memcpy(bytes.data() + 16, name, nameSize);
	memcpy(bytes.data() + 16 + nameSize, ref.directory_path.c_str(), pathSize);
	return bytes;
}

status_t MessageFormat::UnflattenRef(const uint8* bytes, size_t size, entry_ref* ref)
{
	if (size < 18)
		return B_BAD_DATA;
	const uint8* name = bytes + 16;
	const uint8* nameEnd = (const uint8*)memchr(name, 0, size - 16);
	if (nameEnd == NULL)
		return B_BAD_DATA;
	const uint8* path = nameEnd + 1;
	size_t pathRoom = bytes + size - path;
	// The path's NUL ends the item: nothing may follow it.
	if (pathRoom == 0 || memchr(path, 0, pathRoom) != bytes + size - 1)
		return B_BAD_DATA;

	entry_ref result;
	result.device = (dev_t)ReadBig(bytes, 8);
	result.directory = (ino_t)ReadBig(bytes + 8, 8);
	if (*name != 0 && result.set_name((const char*)name) != B_OK)
		return B_NO_MEMORY;
	result.directory_path.assign((const char*)path);
	*ref = result;
	return B_OK;
}

}  // namespace platform
