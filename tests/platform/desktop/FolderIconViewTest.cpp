#include <gtest/gtest.h>

#include <Bitmap.h>
#include <Entry.h>
#include <Message.h>
#include <Node.h>
#include <NodeInfo.h>

#include <fcntl.h>
#include <gio/gio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "ProcessFile.h"
#include "TestSupport.h"
#include "desktop/FileMetadata.h"
#include "desktop/FolderIconDrawing.h"
#include "desktop/ImageNames.h"
#include "desktop/NodeIconNotices.h"
#include "desktop/RgbaImage.h"
#include "storage/ThemeIconSource.h"

using platform::FileMetadata;
using platform::FolderIconImageName;
using platform::RgbaImage;
using namespace testing_support;

namespace {

const char kLegacy[] = ".vellumark-icon.png";
const int kSize = platform::FolderIconDrawing::kSize;

std::vector<std::string> Names(const std::string& folder)
{
	std::vector<std::string> names;
	for (const auto& entry : std::filesystem::directory_iterator(folder))
		names.push_back(entry.path().filename());
	std::sort(names.begin(), names.end());
	return names;
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
	return FolderIconImageName(icon.data());
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

Bytes StoredLarge(const std::string& folder)
{
	BNode node(folder.c_str());
	BNodeInfo info(&node);
	BBitmap icon(BRect(0, 0, 31, 31), B_CMAP8);
	Bytes pixels(1024, 0);
	if (info.GetIcon(&icon, B_LARGE_ICON) == B_OK)
		memcpy(pixels.data(), icon.Bits(), 1024);
	return pixels;
}

// A Set icon or Clear icon drop of path, as the program makes it.
void Drop(const std::string& path, int32 operation)
{
	BMessage message(B_SIMPLE_DATA);
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(path.c_str(), &ref), B_OK) << path;
	message.AddRef("refs", &ref);
	message.AddInt32("FileDropID", operation);
	testing_support::StdoutCapture quiet;
	ProcessFile(&message);
}

std::string ThemeFile(const char* relative)
{
	return std::string(VELLUMARK_SOURCE_DIR) + "/tests/platform/storage/theme/Testicons/"
		+ relative;
}

// Where two images differ: empty when they are the same, pixel for pixel.
std::string Difference(
	const RgbaImage& actual, const RgbaImage& expected, int fromRow = 0, int toRow = kSize)
{
	if (actual.Size() != expected.Size())
		return "sizes differ";
	int count = 0;
	std::ostringstream first;
	for (int y = fromRow; y < toRow; y++) {
		for (int x = 0; x < actual.Size(); x++) {
			if (actual.At(x, y) != expected.At(x, y) && count++ == 0) {
				first << "first at " << x << "," << y << ": " << std::hex << actual.At(x, y)
					  << " instead of " << expected.At(x, y) << std::dec;
			}
		}
	}
	return count == 0 ? "" : std::to_string(count) + " pixels differ, " + first.str();
}

class FolderIconViewTest : public ::testing::Test {
protected:
	void SetUp() override
	{
		SKIP_WITHOUT_XATTRS(fDir.Path());
		static const platform::ThemeIconSource theme(
			{std::string(VELLUMARK_SOURCE_DIR) + "/tests/platform/storage/theme"}, "Testicons");
		platform::SetTypeIconSource(&theme);
		fFolder = fDir.Make("folder", true);
	}
	void TearDown() override { platform::SetTypeIconSource(platform::DefaultTypeIconSource()); }

	std::string In(const std::string& name) const { return fFolder + "/" + name; }

	RgbaImage Image(const Bytes& icon) const
	{
		RgbaImage image;
		EXPECT_EQ(RgbaImage::FromPng(ReadFile(In(ImageName(icon))), kSize, &image), B_OK);
		return image;
	}

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

TEST_F(FolderIconViewTest, IconOfUnknownOriginIsShownScaledWithoutSmoothingUnderItsHashName)
{
	Bytes icon = Pattern();
	ASSERT_EQ(SetIcon(fFolder, &icon), B_OK);
	std::string png = ReadFile(In(ImageName(icon)));
	EXPECT_TRUE(platform::CarriesFolderIconSoftware(png));
	EXPECT_EQ(platform::RecordedLargeIconHash(png), platform::LargeIconHash(icon.data()));
	EXPECT_EQ(Difference(Image(icon), RgbaImage::FromIndices(icon.data(), 32, kSize / 32)), "");
}

// The pointers move only to a whole image, and the image they left goes after them.
TEST_F(FolderIconViewTest, EachNewIconGetsANewImageAndThePreviousOneGoes)
{
	const Bytes icons[] = {Pattern(), Pattern(1), Pattern(2), Pattern(1)};
	for (int step = 0; step < 4; step++) {
		ASSERT_EQ(SetIcon(fFolder, &icons[step]), B_OK);
		ExpectPointersAtTheImageOf(icons[step], step);
		EXPECT_EQ(Names(fFolder), (std::vector<std::string>{".directory", ImageName(icons[step])}))
			<< "step " << step;
	}
	ASSERT_EQ(SetIcon(fFolder, NULL), B_OK);
	EXPECT_EQ(Names(fFolder), std::vector<std::string>{});
	EXPECT_FALSE(HasXattr(fFolder, kLargeIconAttr));
}

TEST_F(FolderIconViewTest, ClearRemovesEveryImageOfOursAndNothingElse)
{
	// Stale images of ours (a legacy one too), and files that only look like ours.
	Bytes stale = Pattern(5);
	std::string ours;
	ASSERT_EQ(RgbaImage(4).EncodePng({{"Software", platform::kFolderIconSoftware}}, &ours), B_OK);
	const std::string foreign = "\x89PNG\r\n\x1a\nsomeone else's";
	const char* oursNames[] = {
		".vellumark-icon-0000000000000000.png", ".vellumark-icon-ffffffffffffffff.png", kLegacy};
	for (const char* name : oursNames)
		WriteFile(In(name), ours);
	WriteFile(In(".vellumark-icon-1111111111111111.png"), foreign);
	WriteFile(In(".vellumark-icon-ABCDEF0123456789.png"), ours);
	WriteFile(In("picture.png"), ours);
	ASSERT_EQ(SetIcon(fFolder, &stale), B_OK);
	std::vector<std::string> expected = {".directory", ImageName(stale),
		".vellumark-icon-1111111111111111.png", ".vellumark-icon-ABCDEF0123456789.png",
		"picture.png"};
	std::sort(expected.begin(), expected.end());
	EXPECT_EQ(Names(fFolder), expected);
	for (const char* name : oursNames)
		WriteFile(In(name), ours);
	ASSERT_EQ(SetIcon(fFolder, NULL), B_OK);
	EXPECT_EQ(Names(fFolder),
		(std::vector<std::string>{".vellumark-icon-1111111111111111.png",
			".vellumark-icon-ABCDEF0123456789.png", "picture.png"}));
	EXPECT_EQ(ReadFile(In(".vellumark-icon-1111111111111111.png")), foreign);
}

TEST_F(FolderIconViewTest, FolderWithTheFixedNameOfEarlierVersionsMovesToTheNewNaming)
{
	std::string legacy;
	ASSERT_EQ(RgbaImage(4).EncodePng({{"Software", platform::kFolderIconSoftware}}, &legacy), B_OK);
	WriteFile(In(kLegacy), legacy);
	WriteFile(In(".directory"),
		"[Desktop Entry]\nIcon=./.vellumark-icon.png\n"
		"X-Vellumark-Created=file\n");
	Bytes icon = Pattern();
	ASSERT_EQ(SetIcon(fFolder, &icon), B_OK);
	ExpectPointersAtTheImageOf(icon, 0);
	EXPECT_EQ(ReadFile(In(".directory")),
		"[Desktop Entry]\nIcon=./" + ImageName(icon) + "\nX-Vellumark-Created=file\n");
	EXPECT_EQ(Names(fFolder), (std::vector<std::string>{".directory", ImageName(icon)}));
}

TEST_F(FolderIconViewTest, ExistingDotDirectoryKeepsItsModeAndOtherLinesAndIsRestored)
{
	const std::string original = "[Dolphin]\nViewMode=1\n[Desktop Entry]\nIcon=folder-red\n";
	WriteFile(In(".directory"), original);
	chmod(In(".directory").c_str(), 0640);
	Bytes icon = Pattern();
	ASSERT_EQ(SetIcon(fFolder, &icon), B_OK);
	EXPECT_EQ(ReadFile(In(".directory")),
		"[Dolphin]\nViewMode=1\n[Desktop Entry]\n"
		"Icon=./"
			+ ImageName(icon) + "\nX-Vellumark-Replaced-Icon=Icon=folder-red\n");
	EXPECT_EQ(
		std::filesystem::status(In(".directory")).permissions(), std::filesystem::perms(0640));
	ASSERT_EQ(SetIcon(fFolder, NULL), B_OK);
	EXPECT_EQ(ReadFile(In(".directory")), original);
}

TEST_F(FolderIconViewTest, LinksInTheFolderAreNeverFollowed)
{
	Bytes icon = Pattern();
	std::string outside = fDir.Join("outside");
	WriteFile(outside, "[Desktop Entry]\nIcon=mine\n");
	ASSERT_EQ(symlink(outside.c_str(), In(".directory").c_str()), 0);
	ASSERT_EQ(symlink(outside.c_str(), In(ImageName(icon)).c_str()), 0);
	EXPECT_EQ(SetIcon(fFolder, &icon), B_OK);
	EXPECT_EQ(SetIcon(fFolder, NULL), B_OK);
	EXPECT_EQ(ReadFile(outside), "[Desktop Entry]\nIcon=mine\n");
	EXPECT_TRUE(std::filesystem::is_symlink(In(".directory")));
	EXPECT_TRUE(std::filesystem::is_symlink(In(ImageName(icon))));
}

// A name taken by another program's file: the view stays on the image it had.
TEST_F(FolderIconViewTest, AnotherProgramsFileOfTheNameIsLeftAloneAndNothingPointsAtIt)
{
	Bytes first = Pattern();
	Bytes second = Pattern(1);
	ASSERT_EQ(SetIcon(fFolder, &first), B_OK);
	WriteFile(In(ImageName(second)), "\x89PNG\r\n\x1a\nsomeone else's");
	StderrCapture capture;
	EXPECT_EQ(SetIcon(fFolder, &second), B_OK);
	capture.Finish();
	EXPECT_TRUE(HasXattr(fFolder, kLargeIconAttr));
	ExpectPointersAtTheImageOf(first, 0);
	EXPECT_EQ(SetIcon(fFolder, NULL), B_OK);
	EXPECT_EQ(Names(fFolder), std::vector<std::string>{ImageName(second)});
	EXPECT_EQ(ReadFile(In(ImageName(second))), "\x89PNG\r\n\x1a\nsomeone else's");
}

TEST_F(FolderIconViewTest, FailedViewFailsNothingAndIsToldAtMostOnce)
{
	Bytes icon = Pattern();
	ASSERT_EQ(mkdir(In(ImageName(icon)).c_str(), 0755), 0);
	std::string other = fDir.Make("other", true);
	ASSERT_EQ(mkdir((other + "/" + ImageName(icon)).c_str(), 0755), 0);
	// And a folder that is gone by the time its view is made.
	std::string gone = fDir.Make("gone", true);
	BNode goneNode(gone.c_str());
	ASSERT_EQ(rmdir(gone.c_str()), 0);
	BBitmap goneIcon(BRect(0, 0, 31, 31), B_CMAP8);
	StderrCapture capture;
	EXPECT_EQ(SetIcon(fFolder, &icon), B_OK);
	EXPECT_EQ(SetIcon(other, &icon), B_OK);
	EXPECT_EQ(BNodeInfo(&goneNode).SetIcon(&goneIcon, B_LARGE_ICON), B_OK);
	EXPECT_EQ(BNodeInfo(&goneNode).SetIcon(NULL, B_LARGE_ICON), B_OK);
	std::string told = capture.Finish();
	EXPECT_TRUE(HasXattr(fFolder, kLargeIconAttr));
	EXPECT_LE(std::count(told.begin(), told.end(), '\n'), 1) << told;
}

TEST_F(FolderIconViewTest, IconStoredOverItselfRewritesNothingButAMissingImageComesBack)
{
	Bytes icon = Pattern();
	ASSERT_EQ(SetIcon(fFolder, &icon), B_OK);
	ino_t first = Inode(In(ImageName(icon)));
	ASSERT_EQ(SetIcon(fFolder, &icon), B_OK);
	EXPECT_EQ(Inode(In(ImageName(icon))), first);
	unlink(In(ImageName(icon)).c_str());
	ASSERT_EQ(SetIcon(fFolder, &icon), B_OK);
	EXPECT_TRUE(std::filesystem::exists(In(ImageName(icon))));
}

TEST_F(FolderIconViewTest, FilesMiniIconsAndASwitchedOffViewGetNoView)
{
	std::string file = fDir.Make("folder/file");
	Bytes icon = Pattern();
	ASSERT_EQ(SetIcon(file, &icon), B_OK);
	Bytes mini(256, 3);
	ASSERT_EQ(SetIcon(fFolder, &mini, B_MINI_ICON), B_OK);
	platform::NodeIconNotices::SetEnabled(false);
	EXPECT_EQ(SetIcon(fFolder, &icon), B_OK);
	platform::NodeIconNotices::SetEnabled(true);
	EXPECT_EQ(Names(fFolder), std::vector<std::string>{"file"});
}

// A second drop builds on the image of the first only while that image shows the icon the
// folder has; otherwise (another program's icon, an image lost) the stored icon is scaled.
TEST_F(FolderIconViewTest, SecondDropBuildsOnThePreviousImageOnlyWhenItShowsTheStoredIcon)
{
	enum Meddling {
		kNone,
		kOtherProgramsIcon,
		kImageRemoved
	};
	const Meddling cases[] = {kNone, kOtherProgramsIcon, kImageRemoved};
	for (size_t row = 0; row < std::size(cases); row++) {
		std::string folder = fDir.Make("folder" + std::to_string(row), true);
		std::string first = fDir.Make("folder" + std::to_string(row) + "/notes.txt");
		std::string second = fDir.Make("folder" + std::to_string(row) + "/own");
		Bytes ownMini(256, 215);  // an own 16-pixel icon, drawn scaled
		ASSERT_EQ(SetIcon(second, &ownMini, B_MINI_ICON), B_OK);
		Drop(first, kSetIconOperation);
		fFolder = folder;
		RgbaImage expected = Image(StoredLarge(folder));
		if (cases[row] == kOtherProgramsIcon) {
			Bytes other = Pattern(7);
			ASSERT_EQ(SetIcon(folder, &other), B_OK);
			expected = RgbaImage::FromIndices(other.data(), 32, kSize / 32);
		} else if (cases[row] == kImageRemoved) {
			ASSERT_EQ(unlink(In(ImageName(StoredLarge(folder))).c_str()), 0);
			expected = RgbaImage::FromIndices(StoredLarge(folder).data(), 32, kSize / 32);
		}
		Drop(second, kSetIconOperation);
		expected.DrawOver(
			RgbaImage::FromIndices(ownMini.data(), 16, kSize / 32), kSize / 4, kSize / 2);
		EXPECT_EQ(Difference(Image(StoredLarge(folder)), expected), "") << "row " << row;
	}
}

// The first drop on a folder without an own icon: the theme's folder at full size, the
// item's theme icon at half size over the middle of the lower half. Pieces the theme cannot
// draw at full size are the stored pieces scaled: a theme without a folder icon (the
// built-in one was used), an item type whose theme icon does not render.
TEST_F(FolderIconViewTest, FirstDropDrawsTheItemOverTheFolderFromTheThemeElseScaled)
{
	static const platform::ThemeIconSource withoutFolder(
		{std::string(VELLUMARK_SOURCE_DIR) + "/tests/platform/storage/theme"}, "Testparent");
	static const struct {
		const platform::TypeIconSource* theme;  // NULL: the test theme of SetUp
		const char* itemType;
		bool themeFolder;
		const char* themeItem;  // NULL: the item's mini icon scaled
	} kRows[] = {
		{NULL, "text/plain", true, "32x32/mimetypes/text-plain.png"},
		{NULL, "application/x-vellumark-badsvg", true, NULL},
		{&withoutFolder, "text/plain", false, NULL},
	};
	for (size_t row = 0; row < std::size(kRows); row++) {
		if (kRows[row].theme != NULL)
			platform::SetTypeIconSource(kRows[row].theme);
		fFolder = fDir.Make("folder" + std::to_string(row), true);
		std::string item = fDir.Make("folder" + std::to_string(row) + "/item");
		BNode node(item.c_str());
		ASSERT_EQ(BNodeInfo(&node).SetType(kRows[row].itemType), B_OK);
		BNode folderNode(fFolder.c_str());
		BBitmap folderIcon(BRect(0, 0, 31, 31), B_CMAP8), itemIcon(BRect(0, 0, 15, 15), B_CMAP8);
		ASSERT_EQ(BNodeInfo(&folderNode).GetTrackerIcon(&folderIcon, B_LARGE_ICON), B_OK);
		ASSERT_EQ(BNodeInfo(&node).GetTrackerIcon(&itemIcon, B_MINI_ICON), B_OK);
		Drop(item, kSetIconOperation);
		RgbaImage expected =
			RgbaImage::FromIndices(static_cast<const uint8*>(folderIcon.Bits()), 32, kSize / 32);
		if (kRows[row].themeFolder) {
			ASSERT_EQ(
				RgbaImage::FromFile(ThemeFile("scalable/places/folder.svg"), kSize, &expected),
				B_OK);
		}
		RgbaImage overlay =
			RgbaImage::FromIndices(static_cast<const uint8*>(itemIcon.Bits()), 16, kSize / 32);
		if (kRows[row].themeItem != NULL) {
			ASSERT_EQ(
				RgbaImage::FromFile(ThemeFile(kRows[row].themeItem), kSize / 2, &overlay), B_OK);
		}
		expected.DrawOver(overlay, kSize / 4, kSize / 2);
		EXPECT_EQ(Difference(Image(StoredLarge(fFolder)), expected), "") << "row " << row;
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
	ASSERT_EQ(otherMetadata.Set("custom-icon", "file:///elsewhere.png"), B_OK);
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
	gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, NULL, NULL);
	GDBusConnection* listener = address == NULL
		? NULL
		: g_dbus_connection_new_for_address_sync(address,
			GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT
				| G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
			NULL, NULL, NULL);
	g_free(address);
	if (getenv("DBUS_SESSION_BUS_ADDRESS") == NULL || listener == NULL)
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
	EXPECT_TRUE(testing_support::WaitUntil([&] {
		while (g_main_context_iteration(NULL, FALSE)) {
		}
		return heard.count >= 3;
	}));
	EXPECT_EQ(heard.count, 3);
	g_dbus_connection_signal_unsubscribe(listener, subscription);
	g_object_unref(listener);
}
