// Writes arbitrary attribute values onto a scratch node the way another program would (raw
// extended attributes) and reads them back through the kit: the own icons, the type, and the
// icon shown for a node (its own, else its type's, through the icon theme).
//
// Input: byte 0 chooses the node with its low two bits (a file without extension, a .txt
// file, an executable, a folder). Bytes 1-2 and 3-4 are the lengths (big-endian) of the
// stored large and mini icon values that follow, each its type code's four bytes and then
// its data, a length of 0 leaving it absent; the rest is the stored type, and also the
// file's contents, for the desktop's type guess.

#include <Bitmap.h>
#include <Node.h>
#include <NodeInfo.h>

#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "storage/NodeType.h"
#include "storage/ThemeIconSource.h"
#include "storage/TypeIconSource.h"
#include "support/ByteOrder.h"

namespace {

// A folder of this process's own (runs may overlap), removed at exit.
std::string sScratch = "/tmp/vellumark-fuzz-attribute.XXXXXX";
const char* const kNodes[] = {"node", "node.txt", "run", "folder"};

// What the file system refuses to store (another program would meet that limit too) is
// left absent.
void Store(const std::string& path, const char* name, std::string* value)
{
	if (value->empty() || setxattr(path.c_str(), name, value->data(), value->size(), 0) != 0) {
		removexattr(path.c_str(), name);
		value->clear();
	}
}

// Colour-mapped rows of 16 or 32 pixels need no padding.
std::string Pixels(const BBitmap& icon)
{
	return std::string(static_cast<const char*>(icon.Bits()), icon.BitsLength());
}

// An own icon reads back exactly as stored, and is the one shown; else the type's is shown.
void CheckIcon(
	BNodeInfo& info, const std::string& value, const char* code, icon_size size, const char* type)
{
	BRect frame(0, 0, size - 1, size - 1);
	BBitmap own(frame, B_CMAP8), shown(frame, B_CMAP8);
	bool valid = value.compare(0, 4, code) == 0 && value.size() == 4 + size_t(size * size);
	std::string expected = valid ? value.substr(4) : std::string(size * size, '\0');
	if ((!valid && platform::GetTypeIcon(type, size, (uint8*)&expected[0]) != B_OK)
		|| (info.GetIcon(&own, size) == B_OK) != valid || info.GetTrackerIcon(&shown, size) != B_OK
		|| Pixels(shown) != expected || (valid && Pixels(own) != expected))
		abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
	if (mkdtemp(&sScratch[0]) == NULL || mkdir((sScratch + "/folder").c_str(), 0755) != 0
		|| setxattr(sScratch.c_str(), "user.vellumark.fuzz", "", 0, 0) != 0)
		abort();  // no scratch folder, or one that takes no extended attributes
	atexit([] { std::filesystem::remove_all(sScratch); });
	for (int node = 0; node < 3; node++)
		close(open((sScratch + "/" + kNodes[node]).c_str(), O_WRONLY | O_CREAT | O_CLOEXEC,
			node == 2 ? 0755 : 0644));
	// The test theme: a few real icons, and some that do not load.
	static const platform::ThemeIconSource source({VELLUMARK_FUZZ_THEME_FOLDER}, "Testicons");
	platform::SetTypeIconSource(&source);
	return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
	if (size < 5)
		return 0;
	std::string rest(reinterpret_cast<const char*>(data) + 5, size - 5);
	std::string large = rest.substr(0, platform::ReadBig(data + 1, 2));
	std::string mini = rest.substr(large.size(), platform::ReadBig(data + 3, 2));
	std::string type = rest.substr(large.size() + mini.size());
	std::string path = sScratch + "/" + kNodes[data[0] & 3];
	if ((data[0] & 3) != 3)
		std::ofstream(path, std::ios::binary) << type;
	Store(path, "user.BEOS:L:STD_ICON", &large);
	Store(path, "user.BEOS:M:STD_ICON", &mini);
	Store(path, "user.BEOS:TYPE", &type);

	BNode node(path.c_str());
	BNodeInfo info(&node);
	if (node.InitCheck() != B_OK || info.InitCheck() != B_OK)
		abort();
	// The type as stored: its data up to a NUL, at most what a type can hold; none if empty.
	std::string expected =
		type.compare(0, 4, "MIMS") == 0 ? type.substr(4, B_MIME_TYPE_LENGTH - 1) : "";
	expected.resize(strnlen(expected.c_str(), expected.size()));
	char stored[B_MIME_TYPE_LENGTH];
	status_t status = info.GetType(stored);
	if ((status == B_OK) != !expected.empty() || (status == B_OK && expected != stored))
		abort();
	if (status != B_OK) {
		struct stat st;
		if (fstat(node.Descriptor(), &st) != 0)
			abort();
		platform::GetDesktopNodeType(node.Descriptor(), st.st_mode, path, stored);
	}
	CheckIcon(info, large, "ICON", B_LARGE_ICON, stored);
	CheckIcon(info, mini, "MICN", B_MINI_ICON, stored);
	return 0;
}
