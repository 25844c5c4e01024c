#include <gtest/gtest.h>

#include <Node.h>
#include <TypeConstants.h>

#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "TestSupport.h"

using namespace testing_support;

// Values are other programs' bytes: a read copies at most what the caller asked for, of the
// type asked for, and a value too short to hold a type code is no value.
TEST(BNode, ReadAttrCopiesOnlyWhatFitsOfTheTypeAskedFor)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	ASSERT_TRUE(SetXattr(dir.Path(), "user.a", Stored("CSTR", {'h', 'e', 'l', 'l', 'o', 0})));
	ASSERT_TRUE(SetXattr(dir.Path(), "user.short", {'C', 'S'}));
	const struct {
		const char* name;
		type_code type;
		off_t offset;
		size_t length;
		ssize_t result;
		const char* copied;
	} kRows[] = {
		{"a", B_STRING_TYPE, 1, 3, 3, "ell"},  // longer than the size asked for: read again
		{"a", B_ANY_TYPE, 0, 8, 6, "hello"},
		{"a", B_INT32_TYPE, 0, 8, B_BAD_TYPE, ""},
		{"a", B_ANY_TYPE, 100, 8, 0, ""},
		{"missing", B_ANY_TYPE, 0, 8, B_ENTRY_NOT_FOUND, ""},
		{"short", B_ANY_TYPE, 0, 8, B_BAD_DATA, ""},
	};
	BNode node(dir.Path().c_str());
	for (size_t i = 0; i < std::size(kRows); i++) {
		char buffer[9];
		memset(buffer, 0xAB, sizeof(buffer));
		ssize_t result =
			node.ReadAttr(kRows[i].name, kRows[i].type, kRows[i].offset, buffer, kRows[i].length);
		EXPECT_EQ(result, kRows[i].result) << "row " << i;
		size_t copied = std::max<ssize_t>(result, 0);
		EXPECT_EQ(std::string(buffer, copied), std::string(kRows[i].copied, copied)) << "row " << i;
		EXPECT_EQ(uint8(buffer[copied]), 0xAB) << "row " << i << ": copied past the end";
	}
	EXPECT_LT(BNode().WriteAttr("a", B_RAW_TYPE, 0, "x", 1), 0);
}

// Linux keeps no user attributes on links: the node of a link is the link, and its target is
// never changed through it.
TEST(BNode, NodeOfALinkIsTheLinkAndItsTargetIsUntouched)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	dir.Make("target", true);
	symlink("target", dir.Join("link").c_str());
	BNode node(dir.Join("link").c_str());
	ASSERT_EQ(node.InitCheck(), B_OK);
	struct stat st;
	ASSERT_EQ(fstat(node.Descriptor(), &st), 0);
	EXPECT_TRUE(S_ISLNK(st.st_mode));
	EXPECT_EQ(node.WriteAttr("a", B_RAW_TYPE, 0, "x", 1), B_PERMISSION_DENIED);
	EXPECT_EQ(node.RemoveAttr("a"), B_ENTRY_NOT_FOUND);
	EXPECT_FALSE(HasXattr(dir.Join("target"), "user.a"));
}
