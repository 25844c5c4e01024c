// vellumark-icons run as a process on real folders. The cases where the metadata store
// matters need a session bus: CTest's FolderIconsTool runs them under dbus-run-session.

#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "TestSupport.h"
#include "desktop/FileMetadata.h"
#include "tools/FolderWalk.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

// Runs the command with arguments; its status, and what it printed to out and err in dir.
int Icons(const TempDir& dir, const std::string& arguments, const std::string& prefix = "")
{
	std::string command = prefix + VELLUMARK_BINARY_DIR "/vellumark-icons " + arguments;
	int status = system((command + " >" + dir.Join("out") + " 2>" + dir.Join("err")).c_str());
	return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Gives the folders icons, as another program may, and has the command publish their view.
void GiveViews(const TempDir& dir, const std::vector<std::string>& folders, uint8 colour)
{
	std::string paths;
	for (const std::string& folder : folders) {
		ASSERT_TRUE(GiveIcons(folder, colour, colour));
		paths += " " + folder;
	}
	ASSERT_EQ(Icons(dir, "repair" + paths), 0);
}

Bytes Attributes(const std::string& path)
{
	Bytes large, mini;
	GetXattr(path, kLargeIconAttr, &large);
	GetXattr(path, kMiniIconAttr, &mini);
	large.insert(large.end(), mini.begin(), mini.end());
	return large;
}

TEST(FolderIconsToolTest, ListRepairListAfterEachWayOfTravel)
{
	if (!platform::FileMetadata::IsAvailable())
		GTEST_SKIP() << "no metadata store: run under dbus-run-session (CTest FolderIconsTool)";
	// Shell commands that take the folder with icons from $F to $T; $O has other icons. The
	// last leaves another program's icon: a picture chosen in GNOME Files, the image gone.
	const char* const travels[] = {
		"mv $F $T",
		"cp -a $F $T && rm -f $T/.vellumark-icon-*",  // a restore without the image
		"mv $F $T && cp --remove-destination $O/.vellumark-icon-* $T/.vellumark-icon-*",
		("mv $F $T && i=$(echo $O/.vellumark-icon-*) && gio set $T metadata::custom-icon file://$i"
		 " && gio set $T metadata::thunar-custom-icon-name $i"),
		("mv $F $T && rm -f $T/.vellumark-icon-* && gio set $T metadata::custom-icon "
		 "file:///usr/share/pixmaps/chosen.png"),
	};
	for (const char* travel : travels) {
		SCOPED_TRACE(travel);
		TempDir dir;
		SKIP_WITHOUT_XATTRS(dir.Path());
		const std::string base = fs::canonical(dir.Path()), to = base + "/to";
		setenv("F", (base + "/from").c_str(), 1);
		setenv("T", to.c_str(), 1);
		setenv("O", (base + "/other").c_str(), 1);
		fs::create_directory(getenv("F"));
		fs::create_directory(getenv("O"));
		GiveViews(dir, {getenv("F")}, 3);
		GiveViews(dir, {getenv("O")}, 4);
		const Bytes stored = Attributes(getenv("F"));
		ASSERT_EQ(system(travel), 0);

		// Ours is repaired once; another program's icon is left as it is, and stays stale.
		const int left = travel == travels[std::size(travels) - 1];
		const std::tuple<std::string, int, std::string> steps[] = {
			{"list ", 0, "stale\t" + to + "\n"},
			{"repair ", left, left ? "" : "repaired\t" + to + "\n"},
			{"list ", 0, (left ? "stale\t" : "ok\t") + to + "\n"}, {"repair ", left, ""}};
		for (const auto& [command, status, out] : steps) {
			EXPECT_EQ(Icons(dir, command + to), status) << command << ReadFile(dir.Join("err"));
			EXPECT_EQ(ReadFile(dir.Join("out")), out) << command;
		}
		EXPECT_EQ(
			ReadFile(dir.Join("err")).find("another program's icon; left") != std::string::npos,
			left);
		EXPECT_EQ(Attributes(to), stored);
	}
}

TEST(FolderIconsToolTest, ClearTakesEveryIconOfTheTreeAndItsView)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	const std::string root = dir.Make("root", true), a = dir.Join("root/a"), b = a + "/b";
	fs::create_directories(b);
	GiveViews(dir, {root, a, b}, 5);
	EXPECT_EQ(Icons(dir, "clear -r " + root), 0) << ReadFile(dir.Join("err"));
	const std::string out = ReadFile(dir.Join("out"));
	EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 3);
	// Only the folders in them are left: images, .directory and locks went.
	for (const std::string& folder : {root, a, b}) {
		EXPECT_TRUE(Attributes(folder).empty()) << folder;
		EXPECT_EQ(FolderNames(folder).size(), folder == b ? 0u : 1u) << folder;
	}
}

TEST(FolderIconsToolTest, BadInputGetsItsLinesAndStatus)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	const std::string root = dir.Make("root", true);
	GiveIcons(dir.Make("root/open", true), 6, 0);
	chmod(dir.Make("root/locked", true).c_str(), 0);
	dir.Make("root/file");
	// A folder with icons one level above the deepest walked, at it, and one below it.
	std::string deepest[3];
	for (size_t i = 0; i < 3; i++) {
		deepest[i] = dir.Join("deep" + std::to_string(i));
		for (size_t level = 0; level + 1 < platform::FolderWalk::kMaxDepth + i; level++)
			deepest[i] += "/d";
		fs::create_directories(deepest[i]);
		GiveIcons(deepest[i], 7, 0);
	}
	const struct {
		std::string arguments;
		int status;
		std::string out;
		std::vector<std::string> err;  // lines or parts of lines
	} rows[] = {
		{"", 2, "", {"no command"}},
		{"frob " + root, 2, "", {"unknown command frob"}},
		{"list -x " + root, 2, "", {"unknown option -x"}},
		{"repair -r", 2, "", {"no PATH"}},
		{"list " + root + "/missing " + root + "/file " + root + "/open", 1,
			"stale\t" + root + "/open\n",
			{root + "/missing: no such file or folder\n", root + "/file: not a folder\n",
				"metadata store is not available"}},
		{"list -r " + root, 1, "stale\t" + root + "/open\n",
			{root + "/locked: permission denied\n"}},
		{"list -r " + dir.Join("deep0"), 0, "stale\t" + deepest[0] + "\n", {}},
		{"list -r " + dir.Join("deep1"), 0, "stale\t" + deepest[1] + "\n", {}},
		{"list -r " + dir.Join("deep2"), 1, "", {"folders below " + dir.Join("deep2") + "; not"}},
	};
	for (const auto& row : rows) {
		SCOPED_TRACE(row.arguments);
		// As nobody, the folder of mode 0 cannot be read; no session bus is reached.
		EXPECT_EQ(RunUnprivileged([&] {
			return Icons(dir, row.arguments, "env -u DBUS_SESSION_BUS_ADDRESS -u XDG_RUNTIME_DIR ");
		}),
			row.status);
		EXPECT_EQ(ReadFile(dir.Join("out")), row.out);
		const std::string err = ReadFile(dir.Join("err"));
		for (const std::string& part : row.err)
			EXPECT_NE(err.find(part), std::string::npos) << err;
	}
}

}  // namespace
