#ifndef _MESSAGE_H
#define _MESSAGE_H

#include <AppDefs.h>
#include <Point.h>
#include <Rect.h>
#include <SupportDefs.h>
#include <TypeConstants.h>

#include <memory>

struct entry_ref;

namespace platform {
class MessageAccess;
}

// A command code plus named, typed fields; each field holds one or more items of its type,
// addressed by index. Copying copies every field.
class BMessage {
public:
	uint32 what;

	BMessage();
	explicit BMessage(uint32 what);
	BMessage(const BMessage& other);
	virtual ~BMessage();
	BMessage& operator=(const BMessage& other);

	// Fields.
	status_t GetInfo(type_code type, int32 index, char** nameFound, type_code* typeFound,
		int32* countFound = NULL) const;

	// Adding. Each call appends a new item to the field, creating the field on first use.
	status_t AddData(const char* name, type_code type, const void* data, ssize_t numBytes,
		bool isFixedSize = true, int32 count = 1);
	status_t AddInt32(const char* name, int32 value);
	status_t AddInt64(const char* name, int64 value);
	status_t AddString(const char* name, const char* string);
	status_t AddPoint(const char* name, BPoint point);
	status_t AddRect(const char* name, BRect rect);
	status_t AddRef(const char* name, const entry_ref* ref);
	status_t AddPointer(const char* name, const void* pointer);

	// Finding. Outputs are written only on success.
	status_t FindData(
		const char* name, type_code type, int32 index, const void** data, ssize_t* numBytes) const;
	status_t FindData(const char* name, type_code type, const void** data, ssize_t* numBytes) const;
	status_t FindInt32(const char* name, int32* value) const;
	status_t FindInt32(const char* name, int32 index, int32* value) const;
	status_t FindString(const char* name, const char** string) const;
	status_t FindString(const char* name, int32 index, const char** string) const;
	status_t FindPoint(const char* name, BPoint* point) const;
	status_t FindPoint(const char* name, int32 index, BPoint* point) const;
	status_t FindRef(const char* name, entry_ref* ref) const;
	status_t FindRef(const char* name, int32 index, entry_ref* ref) const;
	status_t FindMessage(const char* name, BMessage* message) const;
	status_t FindMessage(const char* name, int32 index, BMessage* message) const;
	status_t FindPointer(const char* name, void** pointer) const;
	status_t FindPointer(const char* name, int32 index, void** pointer) const;

	bool HasInt32(const char* name, int32 index = 0) const;
	bool HasRef(const char* name, int32 index = 0) const;

	// Drag and drop: set by the platform when it delivers a drop.
	bool WasDropped() const;
	BPoint DropPoint(BPoint* offset = NULL) const;

	// The flattened form ("FOB1", big-endian).
	ssize_t FlattenedSize() const;
	status_t Flatten(char* buffer, ssize_t size) const;
	// Never reads past size.
	status_t Unflatten(const char* flatBuffer, ssize_t size);

private:
	friend class platform::MessageAccess;
	struct Data;
	std::unique_ptr<Data> fData;
};

#endif
