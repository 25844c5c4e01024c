#include <gtest/gtest.h>

#include <Bitmap.h>
#include <Entry.h>
#include <Message.h>
#include <Node.h>
#include <NodeInfo.h>

#include <gio/gio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "ProcessFile.h"
#include "TestSupport.h"
#include "desktop/FileMetadata.h"
#include "desktop/FolderIconObserver.h"
#include "storage/ThemeIconSource.h"

using platform::FileMetadata;
using namespace testing_support;

namespace {

typedef std::vector<std::string> Names;
const int kSize = 512;  // the side of a folder's image
const std::string kThemes = std::string(VELLUMARK_SOURCE_DIR) + "/tests/platform/storage/theme";
const char kForeign[] = "\x89PNG\r\n\x1a\nsomeone else's";

const platform::ThemeIconSource& TestTheme()
{
	static const platform::ThemeIconSource theme({kThemes}, "Testicons");
	return theme;
}

ino_t Inode(const std::string& path)
{
	struct stat st;
	return lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// Every index once (the transparent one too), then black.
Bytes Pattern(int shift = 0)
{
	Bytes pixels(1024, 0);
	for (int i = 0; i < 256; i++)
		pixels[i] = uint8(i + shift);
	return pixels;
}

std::string ImageName(const Bytes& icon)
{
	gchar* sum = g_compute_checksum_for_data(G_CHECKSUM_SHA256, icon.data(), icon.size());
	std::string name = ".vellumark-icon-" + std::string(sum, 16) + ".png";
	g_free(sum);
	return name;
}

status_t SetIcon(const std::string& path, const Bytes* pixels, icon_size which = B_LARGE_ICON)
{
	BNode node(path.c_str());
	BNodeInfo info(&node);
	if (pixels == NULL)
		return info.SetIcon(NULL, which);
	BBitmap icon(BRect(0, 0, which - 1, which - 1), B_CMAP8);
	icon.SetBits(pixels->data(), which * which, 0, B_CMAP8);
	return info.SetIcon(&icon, which);
}

// A Set icon drop of path, as the program makes it.
void DropOnSetIcon(const std::string& path)
{
	BMessage message(B_SIMPLE_DATA);
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(path.c_str(), &ref), B_OK) << path;
	message.AddRef("refs", &ref);
	message.AddInt32("FileDropID", kSetIconOperation);
	StdoutCapture quiet;
	ProcessFile(&message);
}

// Draws an image of half the size over the middle of the lower half of image: "over" in real
// numbers, each channel rounded to the nearest.
void DrawOver(Bytes* image, const Bytes& top)
{
	for (size_t i = 0; image->size() == top.size() * 4 && i < top.size(); i += 4) {
		size_t x = i / 4 % (kSize / 2), y = i / 4 / (kSize / 2);
		uint8* t = &(*image)[((kSize / 2 + y) * kSize + kSize / 4 + x) * 4];
		double a = top[i + 3] / 255.0, b = t[3] / 255.0 * (1 - a);
		for (int c = 0; c < 3 && a > 0; c++)
			t[c] = uint8(std::lround((top[i + c] * a + t[c] * b) / (a + b)));
		t[3] = uint8(std::lround((a + b) * 255));
	}
}

class FolderIconViewTest : public ::testing::Test {
protected:
	void SetUp() override
	{
		SKIP_WITHOUT_XATTRS(fDir.Path());
		platform::SetTypeIconSource(&TestTheme());
		fFolder = fDir.Make("folder", true);
	}
	void TearDown() override { platform::SetTypeIconSource(platform::DefaultTypeIconSource()); }

	std::string In(const std::string& name) const { return fFolder + "/" + name; }

	// Each pointer names an image that is there, and it is the image of the stored icon.
	void ExpectPointersAtTheImageOf(const Bytes& icon, int step) const
	{
		std::string name = ImageName(icon);
		EXPECT_TRUE(std::filesystem::is_regular_file(In(name))) << "step " << step;
		EXPECT_NE(ReadFile(In(".directory")).find("Icon=./" + name + "\n"), std::string::npos)
			<< "step " << step;
		if (!FileMetadata::IsAvailable())
			return;
		std::string folder = std::filesystem::canonical(fFolder);
		std::string value;
		FileMetadata metadata(folder);
		EXPECT_EQ(metadata.Get("custom-icon", &value), B_OK) << "step " << step;
		EXPECT_EQ(value, "file://" + folder + "/" + name) << "step " << step;
		EXPECT_EQ(metadata.Get("thunar-custom-icon-name", &value), B_OK) << "step " << step;
		EXPECT_EQ(value, folder + "/" + name) << "step " << step;
	}

	TempDir fDir;
	std::string fFolder;
};

}  // namespace

// The pointers move only to a whole image and the image they left goes after them; the same
// icon again rewrites nothing but brings back a lost image; clearing leaves the folder's own
// .directory as it was.
TEST_F(FolderIconViewTest, EachNewIconGetsANewImageAndThePreviousOneGoes)
{
	const std::string kOwn = "[Dolphin]\nViewMode=1\n[Desktop Entry]\nIcon=folder-red\n";
	const Bytes icons[] = {Pattern(), Pattern(1), Pattern(1), Pattern(2), Pattern(1)};
	WriteFile(In(".directory"), kOwn);
	for (size_t step = 0; step < std::size(icons); step++) {
		ino_t before = Inode(In(ImageName(icons[step])));
		ASSERT_EQ(SetIcon(fFolder, &icons[step]), B_OK);
		ExpectPointersAtTheImageOf(icons[step], step);
		EXPECT_EQ(FolderNames(fFolder), (Names{".directory", ImageName(icons[step])})) << step;
		EXPECT_TRUE(step != 2 || Inode(In(ImageName(icons[step]))) == before) << "rewritten";
	}
	unlink(In(ImageName(icons[4])).c_str());
	ASSERT_EQ(SetIcon(fFolder, &icons[4]), B_OK);
	ExpectPointersAtTheImageOf(icons[4], 5);
	ASSERT_EQ(SetIcon(fFolder, NULL), B_OK);
	EXPECT_EQ(FolderNames(fFolder), Names{".directory"});
	EXPECT_EQ(ReadFile(In(".directory")), kOwn);
	EXPECT_FALSE(HasXattr(fFolder, kLargeIconAttr));
}

// Stale images of ours (one of the fixed name of earlier versions too) go at the next Set
// icon and at Clear icon; files that only look like ours stay.
TEST_F(FolderIconViewTest, SetAndClearRemoveEveryImageOfOursAndNothingElse)
{
	// An image of ours: a PNG of the test theme, our Software text put in after its header.
	std::string ours = ReadFile(kThemes + "/Testicons/32x32/mimetypes/text-plain.png");
	ours.insert(
		33, std::string("\0\0\0\x1etEXtSoftware\0Vellumark folder icon\x6b\xe8\xe1\x07", 42));
	const Names kOurs = {".vellumark-icon-0000000000000000.png",
		".vellumark-icon-ffffffffffffffff.png", ".vellumark-icon.png"};
	const Names kTheirs = {".vellumark-icon-1111111111111111.png",
		".vellumark-icon-ABCDEF0123456789.png", ".vellumark-icon-000000000000000g.png",
		".vellumark-icon-0123456789abcdef.PNG", "_vellumark-icon-0123456789abcdef.png",
		"picture.png"};
	WriteFile(In(kTheirs[0]), kForeign);
	for (size_t i = 1; i < kTheirs.size(); i++)
		WriteFile(In(kTheirs[i]), ours);
	Bytes icon = Pattern(5);
	const Bytes* kSteps[] = {&icon, NULL};  // Set icon, then Clear icon
	for (const Bytes* set : kSteps) {
		for (const std::string& name : kOurs)
			WriteFile(In(name), ours);
		ASSERT_EQ(SetIcon(fFolder, set), B_OK);
		Names expected = kTheirs;
		if (set != NULL)
			expected.insert(expected.end(), {".directory", ImageName(icon)});
		std::sort(expected.begin(), expected.end());
		EXPECT_EQ(FolderNames(fFolder), expected);
	}
	EXPECT_EQ(ReadFile(In(kTheirs[0])), kForeign);
}

// A name of ours taken by what is not ours (a link to a file outside, another name of such a
// file, another program's file, a folder) is never followed, changed or removed, and nothing
// is left pointing at it: the view stays on the image it had.
TEST_F(FolderIconViewTest, WhatIsNotOursUnderOurNamesIsLeftAloneAndNothingPointsAtIt)
{
	enum Kind {
		kSymlink,
		kHardLink,
		kTheirs,
		kFolder
	};
	const Bytes first = Pattern(), second = Pattern(1);
	const struct {
		const char* name;  // NULL: the second icon's image
		Kind kind;
	} kRows[] = {
		{".directory", kSymlink},
		{".directory", kHardLink},
		{".directory", kFolder},
		{NULL, kSymlink},
		{NULL, kHardLink},
		{NULL, kTheirs},
		{NULL, kFolder},
	};
	StderrCapture told;
	for (size_t i = 0; i < std::size(kRows); i++) {
		SCOPED_TRACE("row " + std::to_string(i));
		fFolder = fDir.Make("row" + std::to_string(i), true);
		const std::string planted = In(kRows[i].name != NULL ? kRows[i].name : ImageName(second));
		const std::string outside = fFolder + ".outside";
		WriteFile(outside, "[Desktop Entry]\nIcon=mine\n");
		ASSERT_TRUE(kRows[i].name != NULL || SetIcon(fFolder, &first) == B_OK);
		const Kind kind = kRows[i].kind;
		int made = kind == kSymlink ? symlink(outside.c_str(), planted.c_str())
			: kind == kHardLink     ? link(outside.c_str(), planted.c_str())
			: kind == kFolder       ? mkdir(planted.c_str(), 0755)
									: (WriteFile(planted, kForeign), 0);
		ASSERT_EQ(made, 0);
		struct stat before, after;
		ASSERT_EQ(lstat(planted.c_str(), &before), 0);
		EXPECT_EQ(SetIcon(fFolder, &second), B_OK);
		if (kRows[i].name == NULL)
			ExpectPointersAtTheImageOf(first, i);
		EXPECT_EQ(SetIcon(fFolder, NULL), B_OK);
		ASSERT_EQ(lstat(planted.c_str(), &after), 0);
		EXPECT_TRUE(after.st_ino == before.st_ino && after.st_mode == before.st_mode
			&& after.st_mtim.tv_nsec == before.st_mtim.tv_nsec);
		EXPECT_EQ(ReadFile(outside), "[Desktop Entry]\nIcon=mine\n");
		EXPECT_EQ(FolderNames(fFolder), Names{planted.substr(fFolder.size() + 1)});
	}
	std::string lines = told.Finish();
	EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 1) << lines;
}
// A folder gone by the time its view is made fails nothing.
TEST_F(FolderIconViewTest, AFolderGoneMeanwhileFailsNothing)
{
	std::string gone = fDir.Make("gone", true);
	BNode goneNode(gone.c_str());
	ASSERT_EQ(rmdir(gone.c_str()), 0);
	BBitmap goneIcon(BRect(0, 0, 31, 31), B_CMAP8);
	StderrCapture quiet;
	EXPECT_EQ(BNodeInfo(&goneNode).SetIcon(&goneIcon, B_LARGE_ICON), B_OK);
	EXPECT_EQ(BNodeInfo(&goneNode).SetIcon(NULL, B_LARGE_ICON), B_OK);
}

TEST_F(FolderIconViewTest, FilesMiniIconsAndASwitchedOffViewGetNoView)
{
	std::string file = fDir.Make("folder/file");
	Bytes icon = Pattern();
	ASSERT_EQ(SetIcon(file, &icon), B_OK);
	Bytes mini(256, 3);
	ASSERT_EQ(SetIcon(fFolder, &mini, B_MINI_ICON), B_OK);
	platform::SetNodeIconObserver(NULL);
	EXPECT_EQ(SetIcon(fFolder, &icon), B_OK);
	platform::SetNodeIconObserver(&platform::FolderIconObserver::Instance());
	EXPECT_EQ(FolderNames(fFolder), Names{"file"});
}

// A first drop on a folder without an own icon draws the theme's folder at full size and the
// item's theme icon at half size over the middle of the lower half; what the theme cannot
// draw large (no folder icon, an item icon that does not render) is the stored icon scaled
// without smoothing. A second drop builds on the image of the first only while that image
// shows the icon the folder has (not another program's icon, nor a lost image).
TEST_F(FolderIconViewTest, DropsDrawTheItemOverTheFolderFromTheThemeElseScaled)
{
	static const platform::ThemeIconSource withoutFolder({kThemes}, "Testparent");
	enum Before {
		kFirstDrop,
		kSecondDrop,
		kOtherProgramsIcon,
		kImageRemoved
	};
	static const struct {
		Before before;
		const platform::TypeIconSource* theme;  // NULL: the test theme of SetUp
		const char* itemType;
		const char* themeFolder;  // NULL: the folder's icon scaled
		const char* themeItem;  // NULL: the item's mini icon scaled
	} kRows[] = {
		{kFirstDrop, NULL, "text/plain", "scalable/places/folder.svg",
			"32x32/mimetypes/text-plain.png"},
		{kFirstDrop, NULL, "application/x-vellumark-badsvg", "scalable/places/folder.svg", NULL},
		{kFirstDrop, &withoutFolder, "text/plain", NULL, NULL},
		{kSecondDrop, NULL, NULL, NULL, NULL},
		{kOtherProgramsIcon, NULL, NULL, NULL, NULL},
		{kImageRemoved, NULL, NULL, NULL, NULL},
	};
	for (size_t row = 0; row < std::size(kRows); row++) {
		platform::SetTypeIconSource(kRows[row].theme != NULL ? kRows[row].theme : &TestTheme());
		fFolder = fDir.Make("folder" + std::to_string(row), true);
		std::string item = In("item");
		WriteFile(item, "x");
		if (const char* type = kRows[row].itemType) {
			ASSERT_TRUE(SetXattr(
				item, "user.BEOS:TYPE", Stored("MIMS", Bytes(type, type + strlen(type) + 1))));
		} else {
			Bytes ownMini(256, 215);  // an own 16-pixel icon, drawn scaled
			ASSERT_EQ(SetIcon(item, &ownMini, B_MINI_ICON), B_OK);
			DropOnSetIcon(fDir.Make("folder" + std::to_string(row) + "/notes.txt"));
		}
		const Bytes other = Pattern(7);
		ASSERT_TRUE(kRows[row].before != kOtherProgramsIcon || SetIcon(fFolder, &other) == B_OK);
		ASSERT_TRUE(kRows[row].before != kImageRemoved
			|| unlink(In(ImageName(TrackerIcon(fFolder, 32))).c_str()) == 0);
		// The base, unless the theme draws the folder: the image shown, else the icon scaled.
		Bytes shown = TrackerIcon(fFolder, 32);
		Bytes expected = kRows[row].before == kSecondDrop ? DecodedImage(In(ImageName(shown)))
														  : ScaledIcon(shown.data(), 32, 16);
		if (kRows[row].themeFolder != NULL)
			expected = DecodedImage(kThemes + "/Testicons/" + kRows[row].themeFolder, kSize);
		Bytes overlay = kRows[row].themeItem != NULL
			? DecodedImage(kThemes + "/Testicons/" + kRows[row].themeItem, kSize / 2)
			: ScaledIcon(TrackerIcon(item, 16).data(), 16, 16);
		DropOnSetIcon(item);
		DrawOver(&expected, overlay);
		EXPECT_TRUE(expected.size() == size_t(kSize * kSize * 4)
			&& DecodedImage(In(ImageName(TrackerIcon(fFolder, 32)))) == expected)
			<< "row " << row;
	}
}

// Runs only with a session bus and GVfs's metadata daemon, as under
// `dbus-run-session -- test_desktop` (the FolderIconMetadata test of CTest does so).
TEST_F(FolderIconViewTest, MetadataFollowsTheImageAndIsUnsetOnlyWhenOurs)
{
	if (!FileMetadata::IsAvailable())
		GTEST_SKIP() << "no session bus with GIO's metadata store";
	std::string other = std::filesystem::canonical(fDir.Make("other", true));
	Bytes icon = Pattern();
	ASSERT_EQ(SetIcon(fFolder, &icon), B_OK);
	ExpectPointersAtTheImageOf(icon, 0);
	ASSERT_EQ(SetIcon(other, &icon), B_OK);

	FileMetadata otherMetadata(other);
	ASSERT_EQ(otherMetadata.SetEach({{"custom-icon", "file:///elsewhere.png"}}), B_OK);
	ASSERT_EQ(SetIcon(fFolder, NULL), B_OK);
	ASSERT_EQ(SetIcon(other, NULL), B_OK);
	std::string value;
	FileMetadata metadata(std::filesystem::canonical(fFolder));
	EXPECT_EQ(metadata.Get("custom-icon", &value), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(metadata.Get("thunar-custom-icon-name", &value), B_ENTRY_NOT_FOUND);
	ASSERT_EQ(otherMetadata.Get("custom-icon", &value), B_OK);
	EXPECT_EQ(value, "file:///elsewhere.png");
	EXPECT_EQ(otherMetadata.Get("thunar-custom-icon-name", &value), B_ENTRY_NOT_FOUND);
}

// KDE's file managers hear of each change from KIO's signal; runs only with a session bus
// (the FolderIconMetadata test of CTest gives it one).
TEST_F(FolderIconViewTest, KDirNotifyTellsOfEachSetAndClearOfTheFolder)
{
	const char* address = getenv("DBUS_SESSION_BUS_ADDRESS");
	GDBusConnection* listener = address == NULL
		? NULL
		: g_dbus_connection_new_for_address_sync(address,
			GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT
				| G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
			NULL, NULL, NULL);
	if (listener == NULL)
		GTEST_SKIP() << "no session bus";
	struct Heard {
		std::string folder;
		int count = 0;
	} heard;
	heard.folder = "file://" + std::filesystem::canonical(fFolder).string();
	guint subscription = g_dbus_connection_signal_subscribe(
		listener, NULL, "org.kde.KDirNotify", "FilesChanged", "/", NULL, G_DBUS_SIGNAL_FLAGS_NONE,
		[](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
			GVariant* parameters, gpointer data) {
			Heard* heard = static_cast<Heard*>(data);
			const gchar** uris = NULL;
			g_variant_get(parameters, "(^a&s)", &uris);
			for (const gchar** uri = uris; uri != NULL && *uri != NULL; uri++)
				heard->count += heard->folder == *uri;
			g_free(uris);
		},
		&heard, NULL);
	const Bytes icons[] = {Pattern(), Pattern(1)};
	for (const Bytes& icon : icons)
		ASSERT_EQ(SetIcon(fFolder, &icon), B_OK);
	ASSERT_EQ(SetIcon(fFolder, NULL), B_OK);
	EXPECT_TRUE(WaitUntil([&] {
		while (g_main_context_iteration(NULL, FALSE)) {
		}
		return heard.count >= 3;
	}));
	EXPECT_EQ(heard.count, 3);
	g_dbus_connection_signal_unsubscribe(listener, subscription);
	g_object_unref(listener);
}

// Where .directory cannot be edited (past the size edited, not text, linked elsewhere too,
// locked by a live program), its Icon line keeps naming the image it named, and that image
// stays, through a Set icon and a Clear icon; past the size read, what it names is unknown and
// no image goes. Once the obstacle is gone, Clear icon takes everything back.
TEST_F(FolderIconViewTest, AnImageStaysWhileDotDirectoryStillNamesIt)
{
	enum Obstacle {
		kPastTheLimit,  // of the edit; the size given is the read's
		kNotText,
		kHardLink,
		kLiveLock
	};
	const size_t kReadLimit = 1024 * 1024;
	const struct {
		Obstacle obstacle;
		size_t size;  // of .directory, past the limit
	} kRows[] = {{kPastTheLimit, kReadLimit - 1}, {kPastTheLimit, kReadLimit},
		{kPastTheLimit, kReadLimit + 1}, {kNotText, 0}, {kHardLink, 0}, {kLiveLock, 0}};
	const Bytes first = Pattern(), second = Pattern(1);
	for (size_t row = 0; row < std::size(kRows); row++) {
		const Obstacle obstacle = kRows[row].obstacle;
		const bool unread = kRows[row].size > kReadLimit;
		fFolder = fDir.Make("folder" + std::to_string(row), true);
		ASSERT_EQ(SetIcon(fFolder, &first), B_OK);
		std::string named = ReadFile(In(".directory"));
		if (obstacle == kPastTheLimit)
			named += "# " + std::string(kRows[row].size - named.size() - 3, 'x') + "\n";
		if (obstacle == kNotText)
			named += "# " + std::string(1, '\0') + "\n";
		WriteFile(In(".directory"), named);
		ASSERT_TRUE(obstacle != kHardLink
			|| link(In(".directory").c_str(), fDir.Join("elsewhere").c_str()) == 0);
		if (obstacle == kLiveLock)
			WriteFile(In(".directory.lock"), std::to_string(getpid()) + "\nkwrite\nhost\n");
		StderrCapture quiet;
		for (const Bytes* icon : {&second, static_cast<const Bytes*>(NULL)}) {
			EXPECT_EQ(SetIcon(fFolder, icon), B_OK);
			EXPECT_EQ(ReadFile(In(".directory")), named) << row;
			EXPECT_TRUE(std::filesystem::exists(In(ImageName(first)))) << row;
			EXPECT_EQ(std::filesystem::exists(In(ImageName(second))), icon != NULL || unread)
				<< row;
		}
		unlink(In(".directory.lock").c_str());
		unlink(fDir.Join("elsewhere").c_str());
		WriteFile(In(".directory"), named.substr(0, named.find("# ")));
		ASSERT_EQ(SetIcon(fFolder, &first), B_OK);
		ASSERT_EQ(SetIcon(fFolder, NULL), B_OK);
		EXPECT_EQ(FolderNames(fFolder), Names{}) << row;
	}
}

// A Set icon never makes .directory larger than the size it edits: an edit that would is not
// made, and the user's file stays as it was, byte for byte, through Set and Clear icon.
TEST_F(FolderIconViewTest, SetIconNeverGrowsDotDirectoryPastTheSizeItEdits)
{
	const size_t kLimit = 64 * 1024;
	const Bytes icon = Pattern();
	// How much a Set icon adds to a .directory without a [Desktop Entry] group.
	WriteFile(In(".directory"), "[X]\n");
	ASSERT_EQ(SetIcon(fFolder, &icon), B_OK);
	const size_t growth = ReadFile(In(".directory")).size() - 4;
	ASSERT_EQ(SetIcon(fFolder, NULL), B_OK);
	for (int over : {-1, 0, 1}) {
		fFolder = fDir.Make("over" + std::to_string(over + 1), true);
		const std::string own = "[X]\n#" + std::string(kLimit - growth + over - 6, 'x') + "\n";
		WriteFile(In(".directory"), own);
		StderrCapture quiet;
		ASSERT_EQ(SetIcon(fFolder, &icon), B_OK);
		std::string text = ReadFile(In(".directory"));
		EXPECT_EQ(text.size(), over <= 0 ? kLimit + over : own.size()) << over;
		EXPECT_EQ(text.find(ImageName(icon)) != std::string::npos, over <= 0) << over;
		ASSERT_EQ(SetIcon(fFolder, NULL), B_OK);
		EXPECT_EQ(ReadFile(In(".directory")), own) << over;
		EXPECT_EQ(FolderNames(fFolder), Names{".directory"}) << over;
	}
}
