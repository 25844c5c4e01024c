#include <gtest/gtest.h>

#include <Entry.h>
#include <Node.h>
#include <TypeConstants.h>

#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"

using testing_support::GetXattr;
using testing_support::HasXattr;
using testing_support::SetXattr;
using testing_support::TempDir;

namespace {

typedef std::vector<uint8_t> Bytes;

}  // namespace

TEST(BNode, WriteAttrStoresTheTypeCodeBigEndianThenTheData)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	BNode node(dir.Path().c_str());
	ASSERT_EQ(node.InitCheck(), B_OK);
	EXPECT_EQ(node.WriteAttr("my:attr", 'ABCD', 0, "xyz", 3), 3);
	Bytes raw;
	ASSERT_TRUE(GetXattr(dir.Path(), "user.my:attr", &raw));
	EXPECT_EQ(raw, Bytes({'A', 'B', 'C', 'D', 'x', 'y', 'z'}));
}

TEST(BNode, ReadAttrChecksTheTypeAndCopiesOnlyWhatFits)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	BNode node(dir.Path().c_str());
	node.WriteAttr("a", B_STRING_TYPE, 0, "hello", 6);
	char buffer[8];
	memset(buffer, 0xAB, sizeof(buffer));
	EXPECT_EQ(node.ReadAttr("a", B_STRING_TYPE, 1, buffer, 3), 3);
	EXPECT_EQ(std::string(buffer, 3), "ell");
	EXPECT_EQ(uint8(buffer[3]), 0xAB);
	EXPECT_EQ(node.ReadAttr("a", B_INT32_TYPE, 0, buffer, 8), B_BAD_TYPE);
	EXPECT_EQ(node.ReadAttr("a", B_ANY_TYPE, 0, buffer, 8), 6);
	EXPECT_EQ(node.ReadAttr("a", B_ANY_TYPE, 100, buffer, 8), 0);
	EXPECT_EQ(node.ReadAttr("missing", B_ANY_TYPE, 0, buffer, 8), B_ENTRY_NOT_FOUND);
}

TEST(BNode, ValueShorterThanATypeCodeIsBadData)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	ASSERT_TRUE(SetXattr(dir.Path(), "user.short", {'I', 'C'}));
	BNode node(dir.Path().c_str());
	char buffer[8];
	attr_info info;
	EXPECT_EQ(node.ReadAttr("short", B_ANY_TYPE, 0, buffer, 8), B_BAD_DATA);
	EXPECT_EQ(node.GetAttrInfo("short", &info), B_BAD_DATA);
}

TEST(BNode, GetAttrInfoGivesTypeAndDataSizeOfLargeValues)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	BNode node(dir.Path().c_str());
	std::vector<char> big(3000, 'q');
	ASSERT_EQ(node.WriteAttr("big", B_RAW_TYPE, 0, big.data(), big.size()), 3000);
	attr_info info;
	ASSERT_EQ(node.GetAttrInfo("big", &info), B_OK);
	EXPECT_EQ(info.type, uint32(B_RAW_TYPE));
	EXPECT_EQ(info.size, 3000);
	std::vector<char> back(5000);
	EXPECT_EQ(node.ReadAttr("big", B_RAW_TYPE, 0, back.data(), back.size()), 3000);
}

TEST(BNode, RemoveAttrOfAMissingAttributeIsEntryNotFound)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	BNode node(dir.Path().c_str());
	node.WriteAttr("gone", B_RAW_TYPE, 0, "x", 1);
	EXPECT_EQ(node.RemoveAttr("gone"), B_OK);
	EXPECT_FALSE(HasXattr(dir.Path(), "user.gone"));
	EXPECT_EQ(node.RemoveAttr("gone"), B_ENTRY_NOT_FOUND);
}

TEST(BNode, AttrNamesListTheUserAttributesWithoutPrefixThenRewind)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	BNode node(dir.Path().c_str());
	node.WriteAttr("one", B_RAW_TYPE, 0, "1", 1);
	node.WriteAttr("BEOS:TYPE", B_MIME_STRING_TYPE, 0, "a/b", 4);
	char name[B_ATTR_NAME_LENGTH + 1];
	std::set<std::string> names;
	while (node.GetNextAttrName(name) == B_OK)
		names.insert(name);
	EXPECT_EQ(names, std::set<std::string>({"one", "BEOS:TYPE"}));
	EXPECT_EQ(node.GetNextAttrName(name), B_ENTRY_NOT_FOUND);
	ASSERT_EQ(node.RewindAttrs(), B_OK);
	EXPECT_EQ(node.GetNextAttrName(name), B_OK);
}

TEST(BNode, UnsetNodeRefusesAttributeCalls)
{
	BNode node;
	char buffer[4];
	EXPECT_EQ(node.InitCheck(), B_NO_INIT);
	EXPECT_LT(node.WriteAttr("a", B_RAW_TYPE, 0, "x", 1), 0);
	EXPECT_LT(node.ReadAttr("a", B_RAW_TYPE, 0, buffer, 4), 0);
	EXPECT_NE(node.RemoveAttr("a"), B_OK);
	EXPECT_NE(node.GetNextAttrName(buffer), B_OK);
}

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
	// Linux keeps no user attributes on links.
	EXPECT_EQ(node.WriteAttr("a", B_RAW_TYPE, 0, "x", 1), B_PERMISSION_DENIED);
	EXPECT_EQ(node.RemoveAttr("a"), B_ENTRY_NOT_FOUND);
	EXPECT_FALSE(HasXattr(dir.Join("target"), "user.a"));
}

TEST(BNode, KernelFileSystemsRefuseAttributeWrites)
{
	for (const char* path : {"/proc/self/status", "/proc/self", "/sys/kernel"}) {
		BNode node(path);
		if (node.InitCheck() != B_OK)
			continue;
		ssize_t result = node.WriteAttr("BEOS:L:STD_ICON", 'ICON', 0, "x", 1);
		EXPECT_LT(result, 0) << path;
		EXPECT_NE(result, B_ENTRY_NOT_FOUND) << path;
	}
}

TEST(BNode, UnprivilegedWriterMeetsPermissionDenied)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	if (geteuid() != 0)
		GTEST_SKIP() << "needs root to drop privileges";
	std::string file = dir.Make("root-owned");
	chmod(file.c_str(), 0644);
	int status = testing_support::RunUnprivileged([&file] {
		BNode node(file.c_str());
		if (node.InitCheck() != B_OK)
			return 1;
		return node.WriteAttr("a", B_RAW_TYPE, 0, "x", 1) == B_PERMISSION_DENIED ? 0 : 2;
	});
	EXPECT_EQ(status, 0);
	EXPECT_FALSE(HasXattr(file, "user.a"));
}

TEST(BNode, CopiesCompareEqualAndClosingLeaksNoDescriptor)
{
	TempDir dir;
	int before = testing_support::CountDescriptors();
	{
		BNode node(dir.Path().c_str());
		BNode copy(node);
		EXPECT_TRUE(copy == node);
		EXPECT_NE(copy.Descriptor(), node.Descriptor());
		EXPECT_FALSE(copy == BNode("/"));
	}
	EXPECT_EQ(testing_support::CountDescriptors(), before);
}
