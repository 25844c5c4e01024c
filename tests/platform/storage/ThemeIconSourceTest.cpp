#include <gtest/gtest.h>

#include <GraphicsDefs.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "storage/BuiltinIcons.h"
#include "storage/IconTheme.h"
#include "storage/ThemeIconSource.h"
#include "storage/TypeIconSource.h"

using platform::BuiltinIcon;
using platform::IconTheme;
using platform::ThemeIconSource;
using namespace testing_support;

namespace {

const uint8 kBlack = 0;
const uint8 kWhite = 31;
const uint8 kRed = 212;
const uint8 kGreen = 62;
const uint8 kBlue = 37;

const std::string kThemeFolder =
	std::string(VELLUMARK_SOURCE_DIR) + "/tests/platform/storage/theme";

const ThemeIconSource& TestTheme()
{
	static const ThemeIconSource source({kThemeFolder}, "Testicons");
	return source;
}

Bytes Icon(const platform::TypeIconSource& source, const char* type, icon_size size,
	status_t expected = B_OK)
{
	Bytes pixels(size * size, 0xAB);
	EXPECT_EQ(source.GetIcon(type, size, pixels.data()), expected) << type << " at " << size;
	return pixels;
}

Bytes Builtin(BuiltinIcon icon, icon_size size)
{
	const uint8* bits = platform::BuiltinIconBits(icon, size);
	return Bytes(bits, bits + size * size);
}

// The four bands that text-plain.png holds at each size.
Bytes Bands(int size)
{
	Bytes pixels(size * size);
	for (int y = 0; y < size; y++) {
		for (int x = 0; x < size; x++) {
			bool left = x < size / 2;
			static const uint8 kLeft[4] = {kBlack, kWhite, kRed, B_TRANSPARENT_8_BIT};
			static const uint8 kRight[4] = {kBlack, kWhite, B_TRANSPARENT_8_BIT, kBlue};
			pixels[y * size + x] = (left ? kLeft : kRight)[y * 4 / size];
		}
	}
	return pixels;
}

}  // namespace

TEST(ThemeIconSource, FindsEachTypesIconInTheThemeItsParentsOrHicolorAtTheNearestSizeAndRendersIt)
{
	const struct {
		const char* type;
		icon_size size;
		Bytes expected;
	} kRows[] = {
		// Alpha under one half is transparent; the rest maps to exact indices.
		{"text/plain", B_MINI_ICON, Bands(16)}, {"text/plain", B_LARGE_ICON, Bands(32)},
		{"application/pdf", B_LARGE_ICON, Bytes(1024, kRed)},  // hicolor, scaled
		// The folder for twice the pixels is not taken for the mini icon.
		{"application/pdf", B_MINI_ICON, Bytes(256, kRed)},
		{platform::kExecutableMimeType, B_LARGE_ICON, Bytes(1024, kGreen)},  // parent theme
		{platform::kExecutableMimeType, B_MINI_ICON, Bytes(256, kGreen)},
		{platform::kFolderMimeType, B_LARGE_ICON, Bytes(1024, kBlue)},  // scalable
	};
	for (size_t i = 0; i < std::size(kRows); i++) {
		EXPECT_EQ(Icon(TestTheme(), kRows[i].type, kRows[i].size), kRows[i].expected)
			<< "row " << i;
	}
}

TEST(ThemeIconSource, HasNoIconForAMissingHostileCorruptOrUnrenderableType)
{
	for (const std::string& type :
		{std::string("application/x-vellumark-unknown"), std::string(), std::string(300, 'a'),
			// Another program's type attribute: no way out of the theme, whatever its bytes.
			std::string("../Testparent/32x32/mimetypes/application-x-\xff"),
			std::string("application/x-vellumark-corrupt"),
			std::string("application/x-vellumark-huge"),
			std::string("application/x-vellumark-badsvg")})
		Icon(TestTheme(), type.c_str(), B_LARGE_ICON, B_ENTRY_NOT_FOUND);
}

// Each lookup is kept for the life of the source, the theme's files never read again, but
// only so many: types are other programs' bytes (fuzz_attribute stored a new one each run).
TEST(ThemeIconSource, KeepsEachLookupForTheLifeOfTheSourceUpToABound)
{
	TempDir dir;
	std::filesystem::copy(kThemeFolder, dir.Path(), std::filesystem::copy_options::recursive);
	ThemeIconSource source({dir.Path()}, "Testicons");
	Bytes first = Icon(source, "text/plain", B_MINI_ICON);
	Icon(source, "application/pdf", B_MINI_ICON);
	std::filesystem::remove_all(dir.Join("Testicons/16x16"));
	std::filesystem::remove_all(dir.Join("hicolor"));
	EXPECT_EQ(Icon(source, "text/plain", B_MINI_ICON), first);
	EXPECT_EQ(Icon(source, "application/pdf", B_MINI_ICON), Bytes(256, kRed));
	for (size_t i = 0; i < ThemeIconSource::kMaxCachedIcons + 10; i++) {
		Bytes pixels(256);
		source.GetIcon(
			("application/x-stored-" + std::to_string(i)).c_str(), B_MINI_ICON, pixels.data());
	}
	EXPECT_LE(source.CachedIcons(), ThemeIconSource::kMaxCachedIcons);
	EXPECT_EQ(Icon(source, "text/plain", B_LARGE_ICON), Bands(32)) << "looked up afresh";
}

// A theme "T" made in a fresh base folder from one index.theme and empty icon files, then
// asked for "probe" at 32 pixels: whatever the index asks, the reader stays in its bounds.
TEST(IconTheme, KeepsAHostileIndexWithinBounds)
{
	auto folders = [](int count) {
		std::string list = "Directories=", groups;
		for (int i = 0; i < count; i++) {
			list += (i > 0 ? ",d" : "d") + std::to_string(i);
			groups += "[d" + std::to_string(i) + "]\nSize=32\nType=Fixed\n";
		}
		return list + "\n" + groups;
	};
	std::string wideInherits = "Inherits=";
	for (int i = 0; i < 20; i++)
		wideInherits += "missing" + std::to_string(i) + ",";
	const struct {
		const char* what;
		std::string index;  // after the [Icon Theme] line
		std::vector<std::string> files;
		std::string expected;  // below the base folder; empty: not found
	} kRows[] = {
		// Sizes near the ends of int, whose distances would overflow and win.
		{"sizes",
			"Directories=48,wild\n[48]\nSize=48\nType=Fixed\n"
			"[wild]\nSize=32\nType=Scalable\nMinSize=-2147483648\nMaxSize=-2147483648\n",
			{"T/48/probe.png", "T/wild/probe.png"}, "T/48/probe.png"},
		{"inherits", wideInherits + "P\n", {"P/d0/probe.png"}, ""},
		{"directories", folders(2100), {"T/d2099/probe.png"}, ""},
		{"file size", folders(1) + std::string(1 << 20, '#'), {"T/d0/probe.png"}, ""},
		{"within bounds", folders(1), {"T/d0/probe.png"}, "T/d0/probe.png"},
	};
	for (size_t i = 0; i < std::size(kRows); i++) {
		TempDir dir;
		for (const std::string& file : kRows[i].files)
			dir.Make(file);
		WriteFile(dir.Make("T/index.theme"), "[Icon Theme]\n" + kRows[i].index);
		WriteFile(dir.Make("P/index.theme"), "[Icon Theme]\n" + folders(1));
		std::string found = IconTheme({dir.Path()}, "T").Lookup({"probe"}, 32);
		EXPECT_EQ(found, kRows[i].expected.empty() ? "" : dir.Join(kRows[i].expected))
			<< "row " << i << " (" << kRows[i].what << ")";
	}
}

// The icon a node shows: its own, else that of the type stored on it, else that of the type
// its kind and first bytes tell, from the installed theme or else built in; a link's is a
// link's, never its target's.
TEST(TrackerIcon, IsTheOwnIconElseTheStoredTypesElseTheTypeTheNodeIs)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	WriteFile(dir.Join("paper"), "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n");
	WriteFile(dir.Join("data.vellumark-unknown"), std::string("\x01\x02\x03\x00\xff", 5));
	ASSERT_EQ(symlink(dir.Make("notes.txt").c_str(), dir.Join("link.txt").c_str()), 0);
	const char elf[] = "\x7f"
					   "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x3e\0";
	WriteFile(dir.Join("tool"), std::string(elf, sizeof(elf)));
	chmod(dir.Join("tool").c_str(), 0755);
	const std::string folderType = platform::kFolderMimeType;
	ASSERT_TRUE(SetXattr(dir.Make("typed"), "user.BEOS:TYPE",
		Stored("MIMS", Bytes(folderType.c_str(), folderType.c_str() + folderType.size() + 1))));
	ASSERT_TRUE(SetXattr(dir.Make("own"), kMiniIconAttr, Stored("MICN", Bytes(256, 42))));
	const struct {
		const char* name;
		bool theme;  // else the built-in icons only
		icon_size size;
		Bytes expected;
	} kRows[] = {
		{"notes.txt", true, B_MINI_ICON, Bands(16)},
		{"paper", true, B_LARGE_ICON, Bytes(1024, kRed)},
		{"data.vellumark-unknown", true, B_MINI_ICON, Builtin(BuiltinIcon::kDocument, B_MINI_ICON)},
		{"link.txt", true, B_MINI_ICON, Builtin(BuiltinIcon::kLink, B_MINI_ICON)},
		{".", true, B_LARGE_ICON, Bytes(1024, kBlue)},
		{".", false, B_LARGE_ICON, Builtin(BuiltinIcon::kFolder, B_LARGE_ICON)},
		{"notes.txt", false, B_MINI_ICON, Builtin(BuiltinIcon::kDocument, B_MINI_ICON)},
		{"tool", false, B_LARGE_ICON, Builtin(BuiltinIcon::kExecutable, B_LARGE_ICON)},
		{"link.txt", false, B_LARGE_ICON, Builtin(BuiltinIcon::kLink, B_LARGE_ICON)},
		{"typed", false, B_MINI_ICON, Builtin(BuiltinIcon::kFolder, B_MINI_ICON)},
		{"own", true, B_MINI_ICON, Bytes(256, 42)},
	};
	for (size_t i = 0; i < std::size(kRows); i++) {
		platform::SetTypeIconSource(kRows[i].theme ? &TestTheme() : NULL);
		EXPECT_EQ(TrackerIcon(dir.Join(kRows[i].name), kRows[i].size), kRows[i].expected)
			<< "row " << i;
	}
	platform::SetTypeIconSource(platform::DefaultTypeIconSource());
}
