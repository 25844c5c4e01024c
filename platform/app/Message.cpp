#include <Message.h>

#include "app/MessageAccess.h"
#include "app/MessageData.h"
#include "app/MessageFormat.h"

#include <Entry.h>

#include <cstring>

using platform::MessageField;
using platform::MessageFormat;
using platform::MessageItem;

namespace platform {

MessageItem::MessageItem(const MessageItem& other) :
	bytes(other.bytes),
	ref(other.ref ? std::make_unique<entry_ref>(*other.ref) : nullptr),
	message(other.message ? std::make_unique<BMessage>(*other.message) : nullptr)
{
}

// Through a copy, so that assigning an item to itself is harmless.
MessageItem& MessageItem::operator=(const MessageItem& other)
{
	*this = MessageItem(other);
	return *this;
}

}  // namespace platform

MessageField* BMessage::Data::FindField(const char* name)
{
	for (MessageField& field : fields) {
		if (field.name == name)
			return &field;
	}
	return NULL;
}

namespace {

// Adds a finished item to the named field, creating the field with the given shape.
status_t AddItem(std::vector<MessageField>& fields, const char* name, type_code type,
	bool fixedSize, MessageItem&& item)
{
	MessageField* field = NULL;
	for (MessageField& existing : fields) {
		if (existing.name == name)
			field = &existing;
	}
	if (field == NULL) {
		fields.push_back(MessageField());
		field = &fields.back();
		field->name = name;
		field->type = type;
		field->fixedSize = fixedSize;
	} else if (field->type != type) {
		return B_BAD_TYPE;
	} else if (field->fixedSize && field->items[0].bytes.size() != item.bytes.size()) {
		return B_BAD_VALUE;
	}
	field->items.push_back(std::move(item));
	return B_OK;
}

const char kEmpty[1] = {0};

}  // namespace

BMessage::BMessage() :
	what(0),
	fData(std::make_unique<Data>())
{
}

BMessage::BMessage(uint32 what) :
	what(what),
	fData(std::make_unique<Data>())
{
}

BMessage::BMessage(const BMessage& other) :
	what(other.what),
	fData(std::make_unique<Data>(*other.fData))
{
}

BMessage::~BMessage()
{
}

// Assigning a message to itself copies nothing and harms nothing.
BMessage& BMessage::operator=(const BMessage& other)
{
	what = other.what;
	*fData = *other.fData;
	return *this;
}

status_t BMessage::GetInfo(
	type_code type, int32 index, char** nameFound, type_code* typeFound, int32* countFound) const
{
	int32 matched = 0;
	for (const MessageField& field : fData->fields) {
		if (type != B_ANY_TYPE && field.type != type)
			continue;
		if (matched++ != index)
			continue;
		if (nameFound != NULL)
			*nameFound = const_cast<char*>(field.name.c_str());
		if (typeFound != NULL)
			*typeFound = field.type;
		if (countFound != NULL)
			*countFound = field.items.size();
		return B_OK;
	}
	return matched == 0 ? B_BAD_TYPE : B_BAD_INDEX;
}

// count is how many items the caller expects to add under this name; the items themselves
// come one call at a time, so it only matters as a hint.
status_t BMessage::AddData(
	const char* name, type_code type, const void* data, ssize_t numBytes, bool isFixedSize, int32)
{
	if (name == NULL || numBytes < 0 || (data == NULL && numBytes > 0))
		return B_BAD_VALUE;
	if (type == B_ANY_TYPE)
		return B_BAD_TYPE;
	if (isFixedSize && numBytes == 0)
		return B_BAD_VALUE;

	MessageItem item;
	status_t status = MessageFormat::BuildItem(type, (const uint8*)data, numBytes, &item);
	if (status != B_OK)
		return status;
	return AddItem(fData->fields, name, type, isFixedSize, std::move(item));
}

status_t BMessage::AddInt32(const char* name, int32 value)
{
	return AddData(name, B_INT32_TYPE, &value, sizeof(value));
}

status_t BMessage::AddInt64(const char* name, int64 value)
{
	return AddData(name, B_INT64_TYPE, &value, sizeof(value));
}

status_t BMessage::AddString(const char* name, const char* string)
{
	if (string == NULL)
		return B_BAD_VALUE;
	return AddData(name, B_STRING_TYPE, string, strlen(string) + 1, false);
}

status_t BMessage::AddPoint(const char* name, BPoint point)
{
	float values[2] = {point.x, point.y};
	return AddData(name, B_POINT_TYPE, values, sizeof(values));
}

status_t BMessage::AddRect(const char* name, BRect rect)
{
	float values[4] = {rect.left, rect.top, rect.right, rect.bottom};
	return AddData(name, B_RECT_TYPE, values, sizeof(values));
}

status_t BMessage::AddRef(const char* name, const entry_ref* ref)
{
	if (name == NULL || ref == NULL)
		return B_BAD_VALUE;
	MessageItem item;
	item.bytes = MessageFormat::FlattenRef(*ref);
	item.ref = std::make_unique<entry_ref>(*ref);
	return AddItem(fData->fields, name, B_REF_TYPE, false, std::move(item));
}

status_t BMessage::AddPointer(const char* name, const void* pointer)
{
	return AddData(name, B_POINTER_TYPE, &pointer, sizeof(pointer));
}

status_t BMessage::FindData(
	const char* name, type_code type, int32 index, const void** data, ssize_t* numBytes) const
{
	if (name == NULL || data == NULL)
		return B_BAD_VALUE;
	const MessageField* field = fData->FindField(name);
	if (field == NULL)
		return B_NAME_NOT_FOUND;
	if (type != B_ANY_TYPE && field->type != type)
		return B_BAD_TYPE;
	if (index < 0 || index >= (int32)field->items.size())
		return B_BAD_INDEX;
	const std::vector<uint8>& bytes = field->items[index].bytes;
	*data = bytes.empty() ? (const void*)kEmpty : (const void*)bytes.data();
	if (numBytes != NULL)
		*numBytes = bytes.size();
	return B_OK;
}

status_t BMessage::FindData(
	const char* name, type_code type, const void** data, ssize_t* numBytes) const
{
	return FindData(name, type, 0, data, numBytes);
}

namespace {

// Copies an item of a fixed-size type out, only if it has exactly that size.
status_t FindFixed(
	const BMessage& message, const char* name, type_code type, int32 index, void* out, size_t size)
{
	if (out == NULL)
		return B_BAD_VALUE;
	const void* data;
	ssize_t numBytes;
	status_t status = message.FindData(name, type, index, &data, &numBytes);
	if (status != B_OK)
		return status;
	if ((size_t)numBytes != size)
		return B_BAD_DATA;
	memcpy(out, data, size);
	return B_OK;
}

}  // namespace

status_t BMessage::FindInt32(const char* name, int32* value) const
{
	return FindInt32(name, 0, value);
}

status_t BMessage::FindInt32(const char* name, int32 index, int32* value) const
{
	return FindFixed(*this, name, B_INT32_TYPE, index, value, sizeof(*value));
}

status_t BMessage::FindString(const char* name, const char** string) const
{
	return FindString(name, 0, string);
}

status_t BMessage::FindString(const char* name, int32 index, const char** string) const
{
	if (string == NULL)
		return B_BAD_VALUE;
	const void* data;
	ssize_t numBytes;
	status_t status = FindData(name, B_STRING_TYPE, index, &data, &numBytes);
	if (status != B_OK)
		return status;
	if (numBytes == 0 || ((const char*)data)[numBytes - 1] != '\0')
		return B_BAD_DATA;
	*string = (const char*)data;
	return B_OK;
}

status_t BMessage::FindPoint(const char* name, BPoint* point) const
{
	return FindPoint(name, 0, point);
}

status_t BMessage::FindPoint(const char* name, int32 index, BPoint* point) const
{
	if (point == NULL)
		return B_BAD_VALUE;
	float values[2];
	status_t status = FindFixed(*this, name, B_POINT_TYPE, index, values, sizeof(values));
	if (status == B_OK)
		point->Set(values[0], values[1]);
	return status;
}

status_t BMessage::FindRef(const char* name, entry_ref* ref) const
{
	return FindRef(name, 0, ref);
}

status_t BMessage::FindRef(const char* name, int32 index, entry_ref* ref) const
{
	if (ref == NULL)
		return B_BAD_VALUE;
	const void* data;
	status_t status = FindData(name, B_REF_TYPE, index, &data, NULL);
	if (status != B_OK)
		return status;
	*ref = *fData->FindField(name)->items[index].ref;
	return B_OK;
}

status_t BMessage::FindMessage(const char* name, BMessage* message) const
{
	return FindMessage(name, 0, message);
}

status_t BMessage::FindMessage(const char* name, int32 index, BMessage* message) const
{
	if (message == NULL)
		return B_BAD_VALUE;
	const void* data;
	status_t status = FindData(name, B_MESSAGE_TYPE, index, &data, NULL);
	if (status != B_OK)
		return status;
	// The nested message may be the very one being asked; copy through a temporary.
	BMessage found(*fData->FindField(name)->items[index].message);
	*message = found;
	return B_OK;
}

status_t BMessage::FindPointer(const char* name, void** pointer) const
{
	return FindPointer(name, 0, pointer);
}

status_t BMessage::FindPointer(const char* name, int32 index, void** pointer) const
{
	return FindFixed(*this, name, B_POINTER_TYPE, index, pointer, sizeof(*pointer));
}

bool BMessage::HasInt32(const char* name, int32 index) const
{
	const void* data;
	return FindData(name, B_INT32_TYPE, index, &data, NULL) == B_OK;
}

bool BMessage::HasRef(const char* name, int32 index) const
{
	const void* data;
	return FindData(name, B_REF_TYPE, index, &data, NULL) == B_OK;
}

bool BMessage::WasDropped() const
{
	return fData->dropped;
}

// Where the drop landed, in screen coordinates as the host gave them; this platform keeps no
// offset of the pointer within the dragged image.
BPoint BMessage::DropPoint(BPoint* offset) const
{
	if (offset != NULL)
		*offset = BPoint();
	return fData->dropped ? fData->dropPoint : BPoint();
}

ssize_t BMessage::FlattenedSize() const
{
	return MessageFormat::FlattenedSize(*this);
}

status_t BMessage::Flatten(char* buffer, ssize_t size) const
{
	if (size < 0)
		return B_BAD_VALUE;
	return MessageFormat::Flatten(*this, (uint8*)buffer, size);
}

status_t BMessage::Unflatten(const char* flatBuffer, ssize_t size)
{
	if (size < 0)
		return B_BAD_VALUE;
	return MessageFormat::Unflatten((const uint8*)flatBuffer, size, this);
}

namespace platform {

void MessageAccess::SetDropped(BMessage* message, bool dropped, BPoint where)
{
	message->fData->dropped = dropped;
	message->fData->dropPoint = dropped ? where : BPoint();
}

std::vector<MessageField>& MessageAccess::Fields(BMessage* message)
{
	return message->fData->fields;
}

const std::vector<MessageField>& MessageAccess::Fields(const BMessage* message)
{
	return message->fData->fields;
}

}  // namespace platform
