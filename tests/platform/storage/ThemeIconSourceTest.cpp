#include <gtest/gtest.h>

#include <GraphicsDefs.h>

#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "TestSupport.h"
#include "storage/BuiltinIcons.h"
#include "storage/IconImages.h"
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

Bytes Builtin(BuiltinIcon icon, icon_size size)
{
	const uint8* bits = platform::BuiltinIconBits(icon, size);
	return Bytes(bits, bits + size * size);
}

// The four bands that text-plain.png holds at each size.
Bytes Bands(int size)
{
	Bytes pixels(size * size);
	const uint8 kLeft[4] = {kBlack, kWhite, kRed, B_TRANSPARENT_8_BIT};
	const uint8 kRight[4] = {kBlack, kWhite, B_TRANSPARENT_8_BIT, kBlue};
	for (int y = 0; y < size; y++) {
		for (int x = 0; x < size; x++)
			pixels[y * size + x] = (x < size / 2 ? kLeft : kRight)[y * 4 / size];
	}
	return pixels;
}

std::string Big(uint32 value)
{
	return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

// A PNG of 8-bit grey pixels, all black.
std::string Png(uint32 width, uint32 height)
{
	auto chunk = [](const std::string& type, const std::string& data) {
		std::string body = type + data;
		return Big(data.size()) + body + Big(crc32(0, (const Bytef*)body.data(), body.size()));
	};
	std::string rows(size_t(width + 1) * height, '\0');  // each behind its filter byte
	uLongf size = compressBound(rows.size());
	std::string packed(size, '\0');
	compress((Bytef*)&packed[0], &size, (const Bytef*)rows.data(), rows.size());
	packed.resize(size);
	return "\x89PNG\r\n\x1a\n"
		+ chunk("IHDR", Big(width) + Big(height) + std::string("\x08\0\0\0\0", 5))
		+ chunk("IDAT", packed) + chunk("IEND", "");
}

}  // namespace

TEST(ThemeIconSource, HasNoIconForAMissingHostileCorruptOrUnrenderableType)
{
	for (const std::string& type :
		{std::string("application/x-vellumark-unknown"), std::string(), std::string(300, 'a'),
			// Another program's type attribute: no way out of the theme, whatever its bytes.
			std::string("../Testparent/32x32/mimetypes/application-x-\xff"),
			std::string("application/x-vellumark-corrupt"),
			std::string("application/x-vellumark-badsvg")}) {
		Bytes pixels(32 * 32);
		EXPECT_EQ(TestTheme().GetIcon(type.c_str(), B_LARGE_ICON, pixels.data()), B_ENTRY_NOT_FOUND)
			<< type;
	}
}

// Themes made in a fresh base folder, each from its index.theme and icon files (a second base
// folder, "more", only adds files); then "T" asked for "probe" at 32 pixels: whatever the
// indexes ask, the reader stays in its bounds (inheritance 16 levels deep, 16 parents to a
// theme, 32 themes, 2048 folders, 1 MiB of index, sizes of 1 to 4096) and in the themes'
// folders, and takes only a key file with its [Icon Theme] for an index. A folder of the
// default type, Threshold, takes sizes within 2 of its own. A limit's rows put the probe in the
// last theme or folder within it, or the first past it.
TEST(IconTheme, KeepsHostileIndexesWithinBounds)
{
	auto folders = [](int count) {
		std::string list = "Directories=", groups;
		for (int i = 0; i < count; i++) {
			list += (i > 0 ? ",d" : "d") + std::to_string(i);
			groups += "[d" + std::to_string(i) + "]\nSize=32\nType=Fixed\n";
		}
		return list + "\n" + groups;
	};
	typedef std::map<std::string, std::string> Themes;  // names and their indexes
	auto theme = [&](const std::string& inherits) {
		return "[Icon Theme]\nInherits=" + inherits + "\n" + folders(1);
	};
	// T inheriting t1, which inherits t2, and so on: the last is that many levels below T.
	auto line = [&](int last) {
		Themes themes;
		for (int i = 0; i <= last; i++)
			themes[i > 0 ? "t" + std::to_string(i) : "T"] = theme("t" + std::to_string(i + 1));
		return themes;
	};
	// T inheriting p1 and on, the first of which inherit one theme each, q1 and on.
	auto wide = [&](int parents, int grandparents) {
		Themes themes;
		for (int i = 1; i <= parents; i++) {
			std::string n = std::to_string(i);
			themes["T"] += ",p" + n;
			themes["p" + n] = theme(i <= grandparents ? "q" + n : "");
			themes["q" + n] = theme("");
		}
		themes["T"] = theme(themes["T"]);
		return themes;
	};
	// T with its index filled to a size by a comment.
	auto sized = [&](size_t size) {
		std::string index = theme("") + "#";
		return Themes{{"T", index + std::string(size - index.size() - 1, 'x') + "\n"}};
	};
	// T with the folders of index: first x, then t.
	auto pair = [](const std::string& index) {
		return Themes{{"T", "[Icon Theme]\nDirectories=x,t\n" + index}};
	};
	auto size = [&](int pixels) { return pair("[x]\nType=Fixed\nSize=" + std::to_string(pixels)); };
	const struct {
		const char* what;
		Themes themes;
		std::string probe;  // the icon file, below the base folder
		bool found;
		std::string decoy = "";  // another icon file, never the one found
	} kRows[] = {
		// Sizes near the ends of int, whose distances would overflow and win.
		{"sizes",
			pair("[x]\nSize=48\nType=Fixed\n[t]\nSize=32\nType=Scalable\n"
				 "MinSize=-2147483648\nMaxSize=-2147483648\n"),
			"T/x/probe.png", true, "T/t/probe.png"},
		{"size 0", size(0), "T/x/probe.png", false},
		{"size 1", size(1), "T/x/probe.png", true},
		{"size 4095", size(4095), "T/x/probe.png", true},
		{"size 4096", size(4096), "T/x/probe.png", true},
		{"size 4097", size(4097), "T/x/probe.png", false},
		{"threshold matches", pair("[x]\nSize=34\nType=Fixed\n[t]\nSize=30\n"), "T/t/probe.png",
			true, "T/x/probe.png"},
		{"threshold is nearer", pair("[x]\nSize=35\nType=Fixed\n[t]\nSize=28\n"), "T/t/probe.png",
			true, "T/x/probe.png"},
		{"unthemed", {{"T", theme("")}}, "probe.png", true},
		{"second base folder", {{"T", theme("")}}, "more/T/d0/probe.png", true},
		{"no index", {}, "T/d0/probe.png", false},
		{"not a key file", {{"T", folders(1)}}, "T/d0/probe.png", false},
		{"no [Icon Theme]", {{"T", "[Other]\n" + folders(1)}}, "T/d0/probe.png", false},
		{"parent by a path", {{"T", theme("sub/U")}, {"sub/U", theme("")}}, "sub/U/d0/probe.png",
			false},
		{"folder climbing out",
			{{"T", "[Icon Theme]\nDirectories=../U\n[../U]\nSize=32\nType=Fixed\n"}}, "U/probe.png",
			false},
		{"directories", {{"T", "[Icon Theme]\n" + folders(2100)}}, "T/d2099/probe.png", false},
		{"index 1 MiB - 1", sized((1 << 20) - 1), "T/d0/probe.png", true},
		{"index 1 MiB", sized(1 << 20), "T/d0/probe.png", true},
		{"index 1 MiB + 1", sized((1 << 20) + 1), "T/d0/probe.png", false},
		{"15 levels", line(15), "t15/d0/probe.png", true},
		{"16 levels", line(16), "t16/d0/probe.png", true},
		{"17 levels", line(17), "t17/d0/probe.png", false},
		{"15 parents", wide(15, 0), "p15/d0/probe.png", true},
		{"16 parents", wide(16, 0), "p16/d0/probe.png", true},
		{"17 parents", wide(17, 0), "p17/d0/probe.png", false},
		{"31 themes", wide(16, 14), "p16/d0/probe.png", true},
		{"32 themes", wide(16, 15), "p16/d0/probe.png", true},
		{"33 themes", wide(16, 16), "q16/d0/probe.png", false},
	};
	for (const auto& row : kRows) {
		SCOPED_TRACE(row.what);
		TempDir dir;
		dir.Make(row.probe);
		if (!row.decoy.empty())
			dir.Make(row.decoy);
		for (const auto& [name, index] : row.themes)
			WriteFile(dir.Make(name + "/index.theme"), index);
		IconTheme theme({dir.Path(), dir.Join("more")}, "T");
		EXPECT_EQ(theme.Lookup({"probe"}, 32), row.found ? dir.Join(row.probe) : "");
	}
}

// Raster images are decoded only up to 4096 pixels a side: each row a black PNG of its size.
TEST(IconImages, DecodesOnlyImagesUpToTheirDimensionBound)
{
	const std::tuple<uint32, uint32, status_t> kRows[] = {{4095, 1, B_OK}, {4096, 1, B_OK},
		{4097, 1, B_BAD_VALUE}, {1, 4096, B_OK}, {1, 4097, B_BAD_VALUE}};
	TempDir dir;
	for (const auto& [width, height, status] : kRows) {
		std::string path = dir.Join("image.png");
		WriteFile(path, Png(width, height));
		Bytes pixels(32 * 32, 0xAB);
		EXPECT_EQ(platform::LoadIconImage(path, 32, pixels.data()), status)
			<< width << "x" << height;
	}
}

// The icon a node shows: its own, an icon value of exactly an icon's size and type; without one
// (fuzz_attribute's corpus holds hostile values) that of its stored type, a BeOS one read as
// the desktop's; without a type (an empty one is none), that of the type its kind and first
// bytes tell, from the installed theme or else built in; a link's is a link's, never its
// target's. The theme's icon is looked up in the theme, its parents or hicolor at the nearest
// size, and rendered.
TEST(TrackerIcon, IsTheIconOfTheTypeTheNodeIs)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	WriteFile(dir.Join("paper"), "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n");
	WriteFile(dir.Join("data.vellumark-unknown"), std::string("\x01\x02\x03\x00\xff", 5));
	ASSERT_EQ(symlink(dir.Make("notes.txt").c_str(), dir.Join("link.txt").c_str()), 0);
	const char elf[] = "\177ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x3e\0";
	WriteFile(dir.Join("tool"), std::string(elf, sizeof(elf)));
	chmod(dir.Join("tool").c_str(), 0755);
	ASSERT_TRUE(SetXattr(dir.Make("long-icon"), kLargeIconAttr, Stored("ICON", Bytes(1025, 9))));
	ASSERT_TRUE(SetXattr(dir.Make("short-icon"), kLargeIconAttr, Stored("ICON", Bytes(1023, 9))));
	ASSERT_TRUE(SetXattr(dir.Make("own-icon"), kLargeIconAttr, Stored("ICON", Bytes(1024, 9))));
	ASSERT_TRUE(SetXattr(dir.Make("mini-typed"), kLargeIconAttr, Stored("MICN", Bytes(1024, 9))));
	const std::string kTypeAttr = "user.BEOS:TYPE";
	ASSERT_TRUE(SetXattr(dir.Make("empty-type"), kTypeAttr, Stored("MIMS", {0})));
	const std::string beType = "application/x-vnd.Be-elfexecutable";
	ASSERT_TRUE(SetXattr(
		dir.Make("be-tool"), kTypeAttr, Stored("MIMS", Bytes(beType.begin(), beType.end()))));
	const struct {
		const char* name;
		bool theme;  // else the built-in icons only
		icon_size size;
		Bytes expected;
	} kRows[] = {
		// Alpha under one half is transparent; the rest maps to exact indices.
		{"notes.txt", true, B_LARGE_ICON, Bands(32)},
		{"paper", true, B_LARGE_ICON, Bytes(1024, kRed)},  // hicolor, scaled
		// The folder for twice the pixels is not taken for the mini icon.
		{"paper", true, B_MINI_ICON, Bytes(256, kRed)},
		{"tool", true, B_LARGE_ICON, Bytes(1024, kGreen)},  // the parent theme
		{"data.vellumark-unknown", true, B_MINI_ICON, Builtin(BuiltinIcon::kDocument, B_MINI_ICON)},
		{"link.txt", true, B_MINI_ICON, Builtin(BuiltinIcon::kLink, B_MINI_ICON)},
		{".", true, B_LARGE_ICON, Bytes(1024, kBlue)},  // scalable
		{".", false, B_LARGE_ICON, Builtin(BuiltinIcon::kFolder, B_LARGE_ICON)},
		{"tool", false, B_LARGE_ICON, Builtin(BuiltinIcon::kExecutable, B_LARGE_ICON)},
		{"long-icon", false, B_LARGE_ICON, Builtin(BuiltinIcon::kDocument, B_LARGE_ICON)},
		{"short-icon", false, B_LARGE_ICON, Builtin(BuiltinIcon::kDocument, B_LARGE_ICON)},
		{"own-icon", false, B_LARGE_ICON, Bytes(1024, 9)},
		{"mini-typed", false, B_LARGE_ICON, Builtin(BuiltinIcon::kDocument, B_LARGE_ICON)},
		{"empty-type", true, B_MINI_ICON, Bands(16)},
		{"be-tool", true, B_LARGE_ICON, Bytes(1024, kGreen)},
	};
	for (size_t i = 0; i < std::size(kRows); i++) {
		platform::SetTypeIconSource(kRows[i].theme ? &TestTheme() : NULL);
		EXPECT_EQ(TrackerIcon(dir.Join(kRows[i].name), kRows[i].size), kRows[i].expected)
			<< "row " << i;
	}
	platform::SetTypeIconSource(platform::DefaultTypeIconSource());
}

// VELLUMARK_ICON_THEME_PATH (base folders between colons, empty ones left out) and
// VELLUMARK_ICON_THEME name the user's theme in place of the desktop's settings.
TEST(ThemeIconSource, EnvironmentNamesTheUsersTheme)
{
	setenv("VELLUMARK_ICON_THEME_PATH", ":/a::/b/:", 1);
	setenv("VELLUMARK_ICON_THEME", "Mine", 1);
	EXPECT_EQ(ThemeIconSource::UserBaseFolders(), std::vector<std::string>({"/a", "/b/"}));
	EXPECT_EQ(ThemeIconSource::UserThemeName(), "Mine");
	unsetenv("VELLUMARK_ICON_THEME_PATH");
	unsetenv("VELLUMARK_ICON_THEME");
}
