#include <gtest/gtest.h>

#include <Bitmap.h>
#include <Node.h>
#include <NodeInfo.h>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "storage/FileMetadata.h"
#include "storage/FolderIconMirrors.h"
#include "interface/ColorMapping.h"
#include "storage/IconImages.h"

using platform::FileMetadata;
using testing_support::HasXattr;
using testing_support::TempDir;

namespace {

typedef std::vector<uint8_t> Bytes;

const char* kLarge = "user.BEOS:L:STD_ICON";
const char kImage[] = ".vellumark-icon.png";

std::string
ReadFile(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	std::stringstream content;
	content << in.rdbuf();
	return content.str();
}

void
WriteFile(const std::string& path, const std::string& content)
{
	std::ofstream(path, std::ios::binary) << content;
}

std::vector<std::string>
Names(const std::string& folder)
{
	std::vector<std::string> names;
	for (const auto& entry : std::filesystem::directory_iterator(folder))
		names.push_back(entry.path().filename());
	std::sort(names.begin(), names.end());
	return names;
}

ino_t
Inode(const std::string& path)
{
	struct stat st;
	return lstat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// Every index once (the transparent one too), then black.
Bytes
Pattern(int shift = 0)
{
	Bytes pixels(1024, 0);
	for (int i = 0; i < 256; i++)
		pixels[i] = uint8(i + shift);
	return pixels;
}

status_t
SetLargeIcon(const std::string& path, const Bytes* pixels)
{
	BNode node(path.c_str());
	BNodeInfo info(&node);
	if (pixels == NULL)
		return info.SetIcon(NULL, B_LARGE_ICON);
	BBitmap icon(BRect(0, 0, 31, 31), B_CMAP8);
	icon.SetBits(pixels->data(), 1024, 0, B_CMAP8);
	return info.SetIcon(&icon, B_LARGE_ICON);
}

// What standard error receives while the object lives.
class StderrCapture {
public:
	StderrCapture()
	{
		fflush(stderr);
		fSaved = dup(2);
		FILE* file = tmpfile();
		fFile = file;
		dup2(fileno(file), 2);
	}
	std::string Finish()
	{
		fflush(stderr);
		dup2(fSaved, 2);
		close(fSaved);
		std::string text;
		rewind(fFile);
		char buffer[512];
		size_t got;
		while ((got = fread(buffer, 1, sizeof(buffer), fFile)) > 0)
			text.append(buffer, got);
		fclose(fFile);
		return text;
	}

private:
	int fSaved;
	FILE* fFile;
};

class FolderIconMirrorsTest : public ::testing::Test {
protected:
	void SetUp() override
	{
		SKIP_WITHOUT_XATTRS(fDir.Path());
		fFolder = fDir.Make("folder", true);
	}

	std::string In(const char* name) const { return fFolder + "/" + name; }

	TempDir fDir;
	std::string fFolder;
};

}  // namespace

TEST_F(FolderIconMirrorsTest, SetIconWritesTheImageEightTimesLargerWithItsTransparency)
{
	Bytes icon = Pattern();
	ASSERT_EQ(SetLargeIcon(fFolder, &icon), B_OK);
	std::string png = ReadFile(In(kImage));
	ASSERT_GT(png.size(), 24u);
	EXPECT_EQ(png.substr(12, 12), std::string("IHDR\0\0\1\0\0\0\1\0", 12)) << "256 x 256";

	// Read back through the colour map: a colour the map holds twice may come back as the
	// other index, never as another colour.
	Bytes pixels(256 * 256);
	ASSERT_EQ(platform::LoadIconImage(In(kImage), 256, pixels.data()), B_OK);
	std::vector<uint32> colours, expected;
	for (int y = 0; y < 256; y++) {
		for (int x = 0; x < 256; x++) {
			colours.push_back(platform::ARGBForIndex(pixels[y * 256 + x]));
			expected.push_back(platform::ARGBForIndex(icon[(y / 8) * 32 + x / 8]));
		}
	}
	EXPECT_EQ(colours, expected);
}

TEST_F(FolderIconMirrorsTest, ClearIconWithdrawsTheImageAndTheDotDirectoryItMade)
{
	Bytes icon = Pattern();
	ASSERT_EQ(SetLargeIcon(fFolder, &icon), B_OK);
	EXPECT_EQ(Names(fFolder), (std::vector<std::string>{".directory", kImage}));
	EXPECT_EQ(ReadFile(In(".directory")),
		"[Desktop Entry]\nIcon=./.vellumark-icon.png\nX-Vellumark-Created=file\n");
	ASSERT_EQ(SetLargeIcon(fFolder, NULL), B_OK);
	EXPECT_EQ(Names(fFolder), std::vector<std::string>{});
	EXPECT_FALSE(HasXattr(fFolder, kLarge));
}

TEST_F(FolderIconMirrorsTest, ExistingDotDirectoryKeepsItsModeAndOtherLinesAndIsRestored)
{
	const std::string original = "[Dolphin]\nViewMode=1\n[Desktop Entry]\nIcon=folder-red\n";
	WriteFile(In(".directory"), original);
	chmod(In(".directory").c_str(), 0640);
	Bytes icon = Pattern();
	ASSERT_EQ(SetLargeIcon(fFolder, &icon), B_OK);
	EXPECT_EQ(ReadFile(In(".directory")), "[Dolphin]\nViewMode=1\n[Desktop Entry]\n"
		"Icon=./.vellumark-icon.png\nX-Vellumark-Replaced-Icon=Icon=folder-red\n");
	EXPECT_EQ(std::filesystem::status(In(".directory")).permissions(), std::filesystem::perms(0640));
	ASSERT_EQ(SetLargeIcon(fFolder, NULL), B_OK);
	EXPECT_EQ(ReadFile(In(".directory")), original);
}

TEST_F(FolderIconMirrorsTest, LinksInTheFolderAreNeverFollowed)
{
	std::string outside = fDir.Join("outside");
	WriteFile(outside, "[Desktop Entry]\nIcon=mine\n");
	ASSERT_EQ(symlink(outside.c_str(), In(".directory").c_str()), 0);
	ASSERT_EQ(symlink(outside.c_str(), In(kImage).c_str()), 0);
	Bytes icon = Pattern();
	EXPECT_EQ(SetLargeIcon(fFolder, &icon), B_OK);
	EXPECT_EQ(SetLargeIcon(fFolder, NULL), B_OK);
	EXPECT_EQ(ReadFile(outside), "[Desktop Entry]\nIcon=mine\n");
	EXPECT_TRUE(std::filesystem::is_symlink(In(".directory")));
	EXPECT_TRUE(std::filesystem::is_symlink(In(kImage)));
}

TEST_F(FolderIconMirrorsTest, AnotherProgramsImageIsLeftAloneAndNothingPointsAtIt)
{
	WriteFile(In(kImage), "\x89PNG\r\n\x1a\nsomeone else's");
	Bytes icon = Pattern();
	EXPECT_EQ(SetLargeIcon(fFolder, &icon), B_OK);
	EXPECT_TRUE(HasXattr(fFolder, kLarge));
	EXPECT_EQ(Names(fFolder), std::vector<std::string>{kImage});
	EXPECT_EQ(SetLargeIcon(fFolder, NULL), B_OK);
	EXPECT_EQ(ReadFile(In(kImage)), "\x89PNG\r\n\x1a\nsomeone else's");
}

TEST_F(FolderIconMirrorsTest, FailedMirrorFailsNothingAndIsToldAtMostOnce)
{
	ASSERT_EQ(mkdir(In(kImage).c_str(), 0755), 0);
	std::string other = fDir.Make("other", true);
	ASSERT_EQ(mkdir((other + "/" + kImage).c_str(), 0755), 0);
	StderrCapture capture;
	Bytes icon = Pattern();
	EXPECT_EQ(SetLargeIcon(fFolder, &icon), B_OK);
	EXPECT_EQ(SetLargeIcon(other, &icon), B_OK);
	std::string told = capture.Finish();
	EXPECT_TRUE(HasXattr(fFolder, kLarge));
	EXPECT_LE(std::count(told.begin(), told.end(), '\n'), 1) << told;
}

TEST_F(FolderIconMirrorsTest, IconStoredOverItselfRewritesNothingButAMissingImageComesBack)
{
	Bytes icon = Pattern();
	ASSERT_EQ(SetLargeIcon(fFolder, &icon), B_OK);
	ino_t first = Inode(In(kImage));
	ASSERT_EQ(SetLargeIcon(fFolder, &icon), B_OK);
	EXPECT_EQ(Inode(In(kImage)), first);
	Bytes changed = Pattern(1);
	ASSERT_EQ(SetLargeIcon(fFolder, &changed), B_OK);
	EXPECT_NE(Inode(In(kImage)), first);
	unlink(In(kImage).c_str());
	ASSERT_EQ(SetLargeIcon(fFolder, &changed), B_OK);
	EXPECT_TRUE(std::filesystem::exists(In(kImage)));
}

TEST_F(FolderIconMirrorsTest, FilesAndMiniIconsGetNoMirrors)
{
	std::string file = fDir.Make("folder/file");
	Bytes icon = Pattern();
	ASSERT_EQ(SetLargeIcon(file, &icon), B_OK);
	BNode node(fFolder.c_str());
	BNodeInfo info(&node);
	BBitmap mini(BRect(0, 0, 15, 15), B_CMAP8);
	ASSERT_EQ(info.SetIcon(&mini, B_MINI_ICON), B_OK);
	EXPECT_EQ(Names(fFolder), std::vector<std::string>{"file"});
}

TEST_F(FolderIconMirrorsTest, SwitchedOffMirrorsWriteNothing)
{
	platform::FolderIconMirrors::SetEnabled(false);
	Bytes icon = Pattern();
	EXPECT_EQ(SetLargeIcon(fFolder, &icon), B_OK);
	platform::FolderIconMirrors::SetEnabled(true);
	EXPECT_EQ(Names(fFolder), std::vector<std::string>{});
}

// Runs only with a session bus and GVfs's metadata daemon, as under
// `dbus-run-session -- test_storage` (the FolderIconMetadata test of CTest does so).
TEST_F(FolderIconMirrorsTest, MetadataPointsAtTheImageAndIsUnsetOnlyWhenOurs)
{
	if (!FileMetadata::IsAvailable())
		GTEST_SKIP() << "no session bus with GIO's metadata store";
	std::string folder = std::filesystem::canonical(fFolder);
	std::string other = std::filesystem::canonical(fDir.Make("other", true));
	Bytes icon = Pattern();
	ASSERT_EQ(SetLargeIcon(folder, &icon), B_OK);
	ASSERT_EQ(SetLargeIcon(other, &icon), B_OK);
	std::string value;
	FileMetadata metadata(folder);
	ASSERT_EQ(metadata.Get("custom-icon", &value), B_OK);
	EXPECT_EQ(value, "file://" + folder + "/" + kImage);
	ASSERT_EQ(metadata.Get("thunar-custom-icon-name", &value), B_OK);
	EXPECT_EQ(value, folder + "/" + kImage);

	FileMetadata otherMetadata(other);
	ASSERT_EQ(otherMetadata.Set("custom-icon", "file:///elsewhere.png"), B_OK);
	ASSERT_EQ(SetLargeIcon(folder, NULL), B_OK);
	ASSERT_EQ(SetLargeIcon(other, NULL), B_OK);
	EXPECT_EQ(metadata.Get("custom-icon", &value), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(metadata.Get("thunar-custom-icon-name", &value), B_ENTRY_NOT_FOUND);
	ASSERT_EQ(otherMetadata.Get("custom-icon", &value), B_OK);
	EXPECT_EQ(value, "file:///elsewhere.png");
	EXPECT_EQ(otherMetadata.Get("thunar-custom-icon-name", &value), B_ENTRY_NOT_FOUND);
}
