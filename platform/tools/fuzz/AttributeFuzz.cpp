// Writes arbitrary attribute values onto a scratch node the way another program would (raw
// extended attributes) and reads them back through the kit: the own icons, the type, and the
// icon shown for a node (its own, else its type's, through the icon theme). Holds the
// answers against what the stored format allows.
//
// Input: byte 0 chooses, two bits each from the lowest, how the large icon, the mini icon
// and the type are stored (absent, declared as their own type, raw bytes whose first four
// are the type code, declared as another type), and with its top two bits the node (a file
// without extension, a .txt file, an executable, a folder). Bytes 1-2 and 3-4 are the
// lengths (big-endian) of the large and mini values that follow; the rest is the type
// value, and also the file's contents, for the desktop's type guess.

#include <Bitmap.h>
#include <Node.h>
#include <NodeInfo.h>
#include <TypeConstants.h>

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "storage/NodeType.h"
#include "storage/ThemeIconSource.h"
#include "storage/TypeIconSource.h"

namespace {

typedef std::vector<uint8_t> Bytes;

// A folder of this process's own (runs may overlap), removed at exit.
std::string sScratch = "/tmp/vellumark-fuzz-attribute.XXXXXX";
const char* const kNodes[] = {"node", "node.txt", "run", "folder"};

enum Mode {
	kAbsent,
	kOwnType,
	kRaw,
	kOtherType
};

struct Value {
	const char* xattr;
	type_code ownType;
	type_code otherType;
	Mode mode;
	Bytes data;

	// The whole stored value.
	Bytes Stored() const
	{
		if (mode == kRaw)
			return data;
		type_code type = mode == kOwnType ? ownType : otherType;
		Bytes stored = {
			uint8_t(type >> 24), uint8_t(type >> 16), uint8_t(type >> 8), uint8_t(type)};
		stored.insert(stored.end(), data.begin(), data.end());
		return stored;
	}

	// The data of a value stored as its own type, or false.
	bool OwnData(Bytes* own) const
	{
		if (mode == kAbsent)
			return false;
		Bytes stored = Stored();
		type_code type = stored.size() < 4 ? 0
										   : (type_code(stored[0]) << 24)
				| (type_code(stored[1]) << 16) | (type_code(stored[2]) << 8) | stored[3];
		if (stored.size() < 4 || type != ownType)
			return false;
		own->assign(stored.begin() + 4, stored.end());
		return true;
	}
};

void Fail(const char* what)
{
	fprintf(stderr, "fuzz_attribute: %s\n", what);
	abort();
}

std::string NodePath(int node)
{
	return sScratch + "/" + kNodes[node];
}

void RemoveScratchFolder()
{
	for (int node = 0; node < 3; node++)
		unlink(NodePath(node).c_str());
	rmdir(NodePath(3).c_str());
	rmdir(sScratch.c_str());
}

void MakeScratchFolder()
{
	if (mkdtemp(&sScratch[0]) == NULL)
		Fail("cannot make the scratch folder");
	atexit(RemoveScratchFolder);
	for (int node = 0; node < 3; node++) {
		int fd =
			open(NodePath(node).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, node == 2 ? 0755 : 0644);
		if (fd < 0)
			Fail("cannot make a scratch file");
		close(fd);
	}
	if (mkdir(NodePath(3).c_str(), 0755) != 0)
		Fail("cannot make the scratch folder");
	if (setxattr(sScratch.c_str(), "user.vellumark.fuzz", "", 0, 0) != 0)
		Fail("the scratch folder takes no extended attributes");
}

// What the file system refuses to store (another program would meet that limit too) is
// left absent.
void Store(const std::string& path, Value* value)
{
	std::string name = std::string("user.") + value->xattr;
	if (value->mode != kAbsent) {
		Bytes stored = value->Stored();
		if (setxattr(path.c_str(), name.c_str(), stored.data(), stored.size(), 0) == 0)
			return;
		value->mode = kAbsent;
	}
	if (removexattr(path.c_str(), name.c_str()) != 0 && errno != ENODATA)
		Fail("cannot remove an attribute");
}

void WriteContents(const std::string& path, const Bytes& contents)
{
	int fd = open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
	if (fd < 0)
		Fail("cannot open a scratch file");
	if (!contents.empty() && write(fd, contents.data(), contents.size()) < 0)
		Fail("cannot write a scratch file");
	close(fd);
}

Bytes Pixels(const BBitmap& bitmap, int size)
{
	Bytes pixels;
	const uint8* bits = static_cast<const uint8*>(bitmap.Bits());
	for (int y = 0; y < size; y++)
		pixels.insert(
			pixels.end(), bits + y * bitmap.BytesPerRow(), bits + y * bitmap.BytesPerRow() + size);
	return pixels;
}

void CheckIcon(BNodeInfo& info, const Value& value, icon_size size, const char* type)
{
	BBitmap icon(BRect(0, 0, size - 1, size - 1), B_CMAP8);
	Bytes own;
	bool valid = value.OwnData(&own) && own.size() == size_t(size * size);
	status_t status = info.GetIcon(&icon, size);
	if ((status == B_OK) != valid)
		Fail("an own icon read other than the stored value allows");
	if (valid && Pixels(icon, size) != own)
		Fail("an own icon read other pixels than stored");

	BBitmap shown(BRect(0, 0, size - 1, size - 1), B_CMAP8);
	if (info.GetTrackerIcon(&shown, size) != B_OK)
		Fail("no icon shown for a node");
	if (valid) {
		if (Pixels(shown, size) != own)
			Fail("the icon shown is not the node's own");
		return;
	}
	Bytes typeIcon(size * size);
	if (platform::GetTypeIcon(type, size, typeIcon.data()) != B_OK)
		Fail("no icon for a type");
	if (Pixels(shown, size) != typeIcon)
		Fail("the icon shown is not the type's");
}

// The type as stored: its data up to a NUL, at most what a type can hold; empty for none.
std::string ExpectedType(const Value& value)
{
	Bytes own;
	if (!value.OwnData(&own))
		return std::string();
	size_t end = 0;
	while (end < own.size() && own[end] != 0 && end < B_MIME_TYPE_LENGTH - 1)
		end++;
	return std::string(own.begin(), own.begin() + end);
}

size_t Length(const uint8_t* bytes, size_t* left)
{
	size_t length = (size_t(bytes[0]) << 8) | bytes[1];
	if (length > *left)
		length = *left;
	*left -= length;
	return length;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
	MakeScratchFolder();
	// The test theme: a few real icons, and some that do not load.
	static const platform::ThemeIconSource source({VELLUMARK_FUZZ_THEME_FOLDER}, "Testicons");
	platform::SetTypeIconSource(&source);
	return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	if (size < 5)
		return 0;
	uint8_t shape = data[0];
	size_t left = size - 5;
	size_t largeLength = Length(data + 1, &left);
	size_t miniLength = Length(data + 3, &left);
	const uint8_t* rest = data + 5;

	Value large = {
		"BEOS:L:STD_ICON", 'ICON', 'MICN', Mode(shape & 3), Bytes(rest, rest + largeLength)};
	rest += largeLength;
	Value mini = {
		"BEOS:M:STD_ICON", 'MICN', 'ICON', Mode((shape >> 2) & 3), Bytes(rest, rest + miniLength)};
	rest += miniLength;
	Value type = {"BEOS:TYPE", B_MIME_STRING_TYPE, B_STRING_TYPE, Mode((shape >> 4) & 3),
		Bytes(rest, data + size)};

	int node = shape >> 6;
	std::string path = NodePath(node);
	if (node != 3)
		WriteContents(path, type.data);
	Store(path, &large);
	Store(path, &mini);
	Store(path, &type);

	BNode kitNode(path.c_str());
	BNodeInfo info(&kitNode);
	if (kitNode.InitCheck() != B_OK || info.InitCheck() != B_OK)
		Fail("the scratch node does not open");

	char storedType[B_MIME_TYPE_LENGTH];
	std::string expected = ExpectedType(type);
	status_t status = info.GetType(storedType);
	if ((status == B_OK) != !expected.empty() || (status == B_OK && expected != storedType))
		Fail("the type read other than stored");
	if (status != B_OK)
		platform::GetDesktopNodeType(kitNode.Descriptor(), path, storedType);

	CheckIcon(info, large, B_LARGE_ICON, storedType);
	CheckIcon(info, mini, B_MINI_ICON, storedType);
	return 0;
}
