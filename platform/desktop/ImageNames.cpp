#include "desktop/ImageNames.h"

#include <glib.h>
#include <string.h>

#include "support/ByteOrder.h"

namespace platform {

const char kFolderIconSoftware[] = "Vellumark folder icon";
const char kLegacyFolderIconImage[] = ".vellumark-icon.png";
const char kFolderIconHashKeyword[] = "Vellumark large icon";

namespace {

const char kPrefix[] = ".vellumark-icon-";
const char kSuffix[] = ".png";
const size_t kShortHash = 16;
const size_t kLargeIconBytes = 32 * 32;
const char kPngSignature[] = "\x89PNG\r\n\x1a\n";

// The text of a tEXt chunk with that keyword, as it stands in the file.
bool FindText(const std::string& png, const char* keyword, std::string* text)
{
	if (png.compare(0, 8, std::string(kPngSignature, 8)) != 0)
		return false;
	std::string needle = std::string("tEXt") + keyword + '\0';
	size_t found = png.find(needle);
	// The chunk's length stands before its type, after the signature.
	if (found == std::string::npos || found < 8 + 4)
		return false;
	const unsigned char* length = reinterpret_cast<const unsigned char*>(&png[found - 4]);
	size_t size = ReadBig(length, 4);
	size_t keywordSize = strlen(keyword) + 1;
	if (size < keywordSize || found + 4 + size > png.size())
		return false;
	*text = png.substr(found + 4 + keywordSize, size - keywordSize);
	return true;
}

}  // namespace

std::string LargeIconHash(const uint8* largeIcon)
{
	// The same icon is hashed again and again as it is stored over itself: the last one is
	// kept per thread, keyed by all its bytes.
	thread_local uint8 tIcon[kLargeIconBytes];
	thread_local std::string tHash;
	if (!tHash.empty() && memcmp(tIcon, largeIcon, kLargeIconBytes) == 0)
		return tHash;
	gchar* hash = g_compute_checksum_for_data(G_CHECKSUM_SHA256, largeIcon, kLargeIconBytes);
	tHash = hash;
	g_free(hash);
	memcpy(tIcon, largeIcon, kLargeIconBytes);
	return tHash;
}

std::string FolderIconImageName(const uint8* largeIcon)
{
	return FolderIconImageNameForHash(LargeIconHash(largeIcon));
}

std::string FolderIconImageNameForHash(const std::string& hash)
{
	return kPrefix + hash.substr(0, kShortHash) + kSuffix;
}

bool IsFolderIconImageName(const std::string& name)
{
	if (name == kLegacyFolderIconImage)
		return true;
	const size_t prefix = strlen(kPrefix);
	if (name.size() != prefix + kShortHash + strlen(kSuffix)
		|| name.compare(0, prefix, kPrefix) != 0
		|| name.compare(prefix + kShortHash, std::string::npos, kSuffix) != 0)
		return false;
	for (size_t i = prefix; i < prefix + kShortHash; i++) {
		if (!g_ascii_isxdigit(name[i]) || g_ascii_isupper(name[i]))
			return false;
	}
	return true;
}

std::string FolderIconDirectoryValue(const std::string& name)
{
	return "./" + name;
}

bool IsFolderIconDirectoryValue(const std::string& value)
{
	return value.compare(0, 2, "./") == 0 && IsFolderIconImageName(value.substr(2));
}

bool CarriesFolderIconSoftware(const std::string& png)
{
	std::string text;
	return FindText(png, "Software", &text) && text == kFolderIconSoftware;
}

std::string RecordedLargeIconHash(const std::string& png)
{
	std::string text;
	return FindText(png, kFolderIconHashKeyword, &text) ? text : std::string();
}

bool IsFolderIconImageOf(const std::string& png, const std::string& hash)
{
	static const std::string kEnd("\0\0\0\0IEND\xAE\x42\x60\x82", 12);
	return png.size() > kEnd.size() && png.compare(png.size() - kEnd.size(), kEnd.size(), kEnd) == 0
		&& CarriesFolderIconSoftware(png) && RecordedLargeIconHash(png) == hash;
}

}  // namespace platform
