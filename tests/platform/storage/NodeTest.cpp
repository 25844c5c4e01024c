#include <gtest/gtest.h>

#include <Node.h>
#include <NodeInfo.h>
#include <TypeConstants.h>

#include <errno.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"

using namespace testing_support;

// Values are other programs' bytes: a read copies at most what the caller asked for, of the
// type asked for, and a value too short to hold a type code is no value. A name is at most
// B_ATTR_NAME_LENGTH bytes, and Linux keeps 250 of them after its "user." (a longer one
// overflows its buffer).
TEST(BNode, ReadAttrCopiesOnlyWhatFitsOfTheTypeAskedFor)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	ASSERT_TRUE(SetXattr(dir.Path(), "user.a", Stored("CSTR", {'h', 'e', 'l', 'l', 'o', 0})));
	ASSERT_TRUE(SetXattr(dir.Path(), "user.short", {'C', 'S'}));
	const struct {
		std::string name;
		type_code type;
		off_t offset;
		size_t length;
		ssize_t result;
		const char* copied;
	} kRows[] = {
		{"a", B_STRING_TYPE, 1, 3, 3, "ell"},  // longer than the size asked for: read again
		{"a", B_ANY_TYPE, 0, 8, 6, "hello"},
		{"a", B_INT32_TYPE, 0, 8, B_BAD_TYPE, ""},
		{"missing", B_ANY_TYPE, 0, 8, B_ENTRY_NOT_FOUND, ""},
		{"short", B_ANY_TYPE, 0, 8, B_BAD_DATA, ""},
		{"a", B_ANY_TYPE, 6, 8, 0, ""},  // from the end on
		{std::string(250, 'n'), B_ANY_TYPE, 0, 8, B_ENTRY_NOT_FOUND, ""},
		{std::string(B_ATTR_NAME_LENGTH, 'n'), B_ANY_TYPE, 0, 8, B_BUFFER_OVERFLOW, ""},
		{std::string(B_ATTR_NAME_LENGTH + 1, 'n'), B_ANY_TYPE, 0, 8, B_NAME_TOO_LONG, ""},
	};
	BNode node(dir.Path().c_str());
	for (size_t i = 0; i < std::size(kRows); i++) {
		char buffer[9];
		memset(buffer, 0xAB, sizeof(buffer));
		ssize_t result = node.ReadAttr(
			kRows[i].name.c_str(), kRows[i].type, kRows[i].offset, buffer, kRows[i].length);
		EXPECT_EQ(result, kRows[i].result) << "row " << i;
		size_t copied = std::max<ssize_t>(result, 0);
		EXPECT_EQ(std::string(buffer, copied), std::string(kRows[i].copied, copied)) << "row " << i;
		EXPECT_EQ(uint8(buffer[copied]), 0xAB) << "row " << i << ": copied past the end";
	}
	EXPECT_LT(BNode().WriteAttr("a", B_RAW_TYPE, 0, "x", 1), 0);
	// A stored type that fills the buffer is cut to keep room for its NUL.
	ASSERT_TRUE(
		SetXattr(dir.Path(), "user.BEOS:TYPE", Stored("MIMS", Bytes(B_MIME_TYPE_LENGTH, 'a'))));
	char type[B_MIME_TYPE_LENGTH + 1];
	memset(type, 0x55, sizeof(type));
	EXPECT_EQ(BNodeInfo(&node).GetType(type), B_OK);
	EXPECT_EQ(strlen(type), size_t(B_MIME_TYPE_LENGTH - 1));
	// Linux holds at most 64 KiB in a value, the type code's four bytes among them: a longer
	// one is refused before the file system is asked, which leaves errno as it was.
	const std::pair<size_t, bool> kWrites[] = {{65531, true}, {65532, true}, {65533, false}};
	std::vector<char> value(65533, 'v');
	for (const auto& [length, asked] : kWrites) {
		errno = 0;
		ssize_t result = node.WriteAttr("big", B_RAW_TYPE, 0, value.data(), length);
		EXPECT_EQ(errno != 0 || result == ssize_t(length), asked) << length;
		EXPECT_TRUE(asked || result == B_DEVICE_FULL) << length;
	}
}
