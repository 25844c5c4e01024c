#include <gtest/gtest.h>

#include <Bitmap.h>
#include <Node.h>
#include <NodeInfo.h>
#include <TypeConstants.h>

#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "storage/BuiltinIcons.h"
#include "storage/TypeIconSource.h"

using platform::BuiltinIcon;
using platform::BuiltinIconBits;

namespace {

using namespace testing_support;

Bytes Pixels(const BBitmap& bitmap)
{
	const uint8* bits = static_cast<const uint8*>(bitmap.Bits());
	return Bytes(bits, bits + bitmap.BitsLength());
}

Bytes Builtin(BuiltinIcon icon, icon_size size)
{
	const uint8* bits = BuiltinIconBits(icon, size);
	return Bytes(bits, bits + size * size);
}

Bytes Pattern(int count)
{
	Bytes pattern(count);
	for (int i = 0; i < count; i++)
		pattern[i] = uint8(i * 7);
	return pattern;
}

// Only the built-in icons for the life of the object (the theme's icons are tested with a
// theme of their own), the desktop's theme again after it.
class BuiltinIconsOnly {
public:
	BuiltinIconsOnly() { platform::SetTypeIconSource(NULL); }
	~BuiltinIconsOnly() { platform::SetTypeIconSource(platform::DefaultTypeIconSource()); }
};

}  // namespace

TEST(BNodeInfo, SetIconStoresTheRawFormatThatGetIconReadsBack)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	const struct {
		icon_size size;
		const char* attribute;
		const char* type;
	} kRows[] = {{B_LARGE_ICON, kLargeIconAttr, "ICON"}, {B_MINI_ICON, kMiniIconAttr, "MICN"}};
	for (size_t i = 0; i < sizeof(kRows) / sizeof(kRows[0]); i++) {
		int32 size = kRows[i].size;
		BNode node(dir.Path().c_str());
		BNodeInfo info(&node);
		BBitmap icon(BRect(0, 0, size - 1, size - 1), B_CMAP8);
		icon.SetBits(Pattern(size * size).data(), size * size, 0, B_CMAP8);
		ASSERT_EQ(info.SetIcon(&icon, kRows[i].size), B_OK) << "row " << i;
		Bytes raw;
		ASSERT_TRUE(GetXattr(dir.Path(), kRows[i].attribute, &raw)) << "row " << i;
		EXPECT_EQ(raw, Stored(kRows[i].type, Pattern(size * size))) << "row " << i;

		BBitmap back(BRect(0, 0, size - 1, size - 1), B_CMAP8);
		ASSERT_EQ(info.GetIcon(&back, kRows[i].size), B_OK) << "row " << i;
		EXPECT_EQ(Pixels(back), Pattern(size * size)) << "row " << i;
	}
}

TEST(BNodeInfo, ValuesThatAreNotIconsFailGetIconAndTrackerIconFallsBack)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	BuiltinIconsOnly builtin;
	for (const Bytes& value : {Stored("ICON", {1, 2, 3}), Stored("ICON", Bytes(1025, 9)),
			 Stored("MICN", Bytes(1024, 9)), Bytes({'I', 'C'})}) {
		ASSERT_TRUE(SetXattr(dir.Path(), kLargeIconAttr, value));
		BNode node(dir.Path().c_str());
		BNodeInfo info(&node);
		BBitmap icon(BRect(0, 0, 31, 31), B_CMAP8);
		memset(icon.Bits(), 0xAB, icon.BitsLength());
		EXPECT_NE(info.GetIcon(&icon, B_LARGE_ICON), B_OK) << value.size();
		EXPECT_EQ(Pixels(icon), Bytes(1024, 0xAB)) << "nothing copied";
		EXPECT_EQ(
			TrackerIcon(dir.Path(), B_LARGE_ICON), Builtin(BuiltinIcon::kFolder, B_LARGE_ICON));
	}
}

TEST(BNodeInfo, SetIconNullRemovesAndRemovingAMissingIconSucceeds)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	ASSERT_TRUE(SetXattr(dir.Path(), kMiniIconAttr, Bytes(260, 'M')));
	BNode node(dir.Path().c_str());
	BNodeInfo info(&node);
	EXPECT_EQ(info.SetIcon(NULL, B_MINI_ICON), B_OK);
	EXPECT_FALSE(HasXattr(dir.Path(), kMiniIconAttr));
	EXPECT_EQ(info.SetIcon(NULL, B_MINI_ICON), B_OK);
	EXPECT_EQ(info.SetIcon(NULL, B_LARGE_ICON), B_OK);
}

TEST(BNodeInfo, UnboundNodeInfoFailsWithNoInit)
{
	BNodeInfo info;
	BNode unset;
	EXPECT_NE(info.SetTo(&unset), B_OK);
	BBitmap icon(BRect(0, 0, 15, 15), B_CMAP8);
	EXPECT_EQ(info.SetIcon(NULL, B_MINI_ICON), B_NO_INIT);
	EXPECT_EQ(info.SetIcon(&icon, B_MINI_ICON), B_NO_INIT);
	EXPECT_EQ(info.GetTrackerIcon(&icon, B_MINI_ICON), B_NO_INIT);
}

TEST(BNodeInfo, BitmapOfTheWrongSizeOrSpaceIsBadValue)
{
	TempDir dir;
	BNode node(dir.Path().c_str());
	BNodeInfo info(&node);
	BBitmap mini(BRect(0, 0, 15, 15), B_CMAP8);
	BBitmap rgb(BRect(0, 0, 31, 31), B_RGB32);
	EXPECT_EQ(info.SetIcon(&mini, B_LARGE_ICON), B_BAD_VALUE);
	EXPECT_EQ(info.GetIcon(&rgb, B_LARGE_ICON), B_BAD_VALUE);
	EXPECT_EQ(info.GetTrackerIcon(&mini, B_LARGE_ICON), B_BAD_VALUE);
	EXPECT_EQ(info.GetTrackerIcon(&mini, icon_size(24)), B_BAD_VALUE);
	EXPECT_FALSE(HasXattr(dir.Path(), kLargeIconAttr));
}

TEST(BNodeInfo, TrackerIconOfANodeWithoutOwnIconFollowsItsKind)
{
	TempDir dir;
	std::string file = dir.Make("file");
	// An ELF executable's header: the desktop tells its type by these bytes.
	std::string tool = dir.Make("tool");
	const char elf[] = "\x7f"
					   "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x3e\0";
	WriteFile(tool, std::string(elf, sizeof(elf)));
	chmod(tool.c_str(), 0755);
	symlink("file", dir.Join("link").c_str());
	BuiltinIconsOnly builtin;
	for (icon_size size : {B_LARGE_ICON, B_MINI_ICON}) {
		EXPECT_EQ(TrackerIcon(dir.Path(), size), Builtin(BuiltinIcon::kFolder, size));
		EXPECT_EQ(TrackerIcon(file, size), Builtin(BuiltinIcon::kDocument, size));
		EXPECT_EQ(TrackerIcon(tool, size), Builtin(BuiltinIcon::kExecutable, size));
		EXPECT_EQ(TrackerIcon(dir.Join("link"), size), Builtin(BuiltinIcon::kLink, size));
	}
}

TEST(BNodeInfo, TrackerIconPrefersTheOwnIconThenTheStoredType)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	std::string file = dir.Make("file");
	BNode node(file.c_str());
	BNodeInfo info(&node);
	BuiltinIconsOnly builtin;
	ASSERT_EQ(info.SetType("application/x-vnd.Be-directory"), B_OK);
	EXPECT_EQ(TrackerIcon(file, B_MINI_ICON), Builtin(BuiltinIcon::kFolder, B_MINI_ICON));

	BBitmap own(BRect(0, 0, 15, 15), B_CMAP8);
	own.SetBits(Pattern(256).data(), 256, 0, B_CMAP8);
	ASSERT_EQ(info.SetIcon(&own, B_MINI_ICON), B_OK);
	EXPECT_EQ(TrackerIcon(file, B_MINI_ICON), Pattern(256));
}

TEST(BNodeInfo, TypeIsStoredWithItsNulAndReadBackBounded)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	BNode node(dir.Path().c_str());
	BNodeInfo info(&node);
	ASSERT_EQ(info.SetType("text/plain"), B_OK);
	Bytes raw;
	ASSERT_TRUE(GetXattr(dir.Path(), "user.BEOS:TYPE", &raw));
	EXPECT_EQ(raw, Stored("MIMS", Bytes({'t', 'e', 'x', 't', '/', 'p', 'l', 'a', 'i', 'n', 0})));

	ASSERT_TRUE(SetXattr(dir.Path(), "user.BEOS:TYPE", Stored("MIMS", Bytes(1000, 'a'))));
	char type[B_MIME_TYPE_LENGTH + 8];
	memset(type, 0x55, sizeof(type));
	ASSERT_EQ(info.GetType(type), B_OK);
	EXPECT_EQ(strlen(type), size_t(B_MIME_TYPE_LENGTH - 1));
	EXPECT_EQ(type[B_MIME_TYPE_LENGTH], 0x55);
}

TEST(BuiltinIcons, HaveATransparentBackgroundAndABlackOutline)
{
	for (BuiltinIcon icon : {BuiltinIcon::kFolder, BuiltinIcon::kDocument, BuiltinIcon::kExecutable,
			 BuiltinIcon::kLink}) {
		for (icon_size size : {B_LARGE_ICON, B_MINI_ICON}) {
			Bytes bits = Builtin(icon, size);
			EXPECT_EQ(bits[0], B_TRANSPARENT_8_BIT);
			EXPECT_EQ(bits[size * size - 1], B_TRANSPARENT_8_BIT);
			int outline = 0;
			for (uint8 pixel : bits)
				outline += pixel == 0;
			EXPECT_GT(outline, size) << int(icon) << " at " << size;
		}
	}
	EXPECT_EQ(BuiltinIconBits(BuiltinIcon::kFolder, icon_size(24)), nullptr);
}

namespace {

class OneColourSource : public platform::TypeIconSource {
public:
	status_t GetIcon(const char* type, icon_size size, uint8* pixels) const override
	{
		if (strcmp(type, "text/x-special") != 0)
			return B_ENTRY_NOT_FOUND;
		memset(pixels, 42, size * size);
		return B_OK;
	}
};

}  // namespace

TEST(TypeIconSource, InstalledSourceIsAskedBeforeTheBuiltinIcons)
{
	OneColourSource source;
	platform::SetTypeIconSource(&source);
	Bytes special(256), plain(256);
	EXPECT_EQ(platform::GetTypeIcon("text/x-special", B_MINI_ICON, special.data()), B_OK);
	EXPECT_EQ(platform::GetTypeIcon("text/plain", B_MINI_ICON, plain.data()), B_OK);
	platform::SetTypeIconSource(NULL);
	EXPECT_EQ(special, Bytes(256, 42));
	EXPECT_EQ(plain, Builtin(BuiltinIcon::kDocument, B_MINI_ICON));
	platform::SetTypeIconSource(platform::DefaultTypeIconSource());
}
