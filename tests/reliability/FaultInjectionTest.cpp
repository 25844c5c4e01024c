// Every file-system write step of a Set icon and of a Clear icon is made to fail in turn, with
// ENOSPC and with EIO, and the process is killed just before each in turn, as a crash would
// kill it: one step a run, in the drop driver with the fault interposer preloaded. The
// interposer counts the steps as they come (interposer/FaultInterposer.cpp), so a new write
// step is covered without a change here; the run after the last step, which meets no fault,
// is checked too.
//
// The folder starts with an own icon from a real Set icon: an image of ours and a .directory
// naming it, made by Vellumark or the user's own (other groups, lines of their own and an
// Icon= that Vellumark keeps aside). After each run:
// - it ended within 10 s, and a failed step let it end normally;
// - .directory's Icon= names a file that is there, and the user's lines, but for Icon= and
//   Vellumark's own, are all still there, byte for byte and in order;
// then a clean run of the same drop leaves the stored icon's image alone, named by .directory
// (after Clear icon no image, no icon, and .directory as before the first Set icon), no
// temporary file and no lock.
#include <string.h>

#include <sstream>

#include "FaultSupport.h"

using namespace fault_test;
using Clock = std::chrono::steady_clock;

namespace {

const char* const kModes[] = {"enospc", "eio", "crash"};
const int kBoundSeconds = 10;
const char kHit[] = " <- ";  // marks the step hit in the interposer's log

const char kUserDirectory[] = "[Dolphin]\nTimestamp=2024,5,1,10,0,0.000\nViewMode=1\n\n"
							  "[Desktop Entry]\n# theirs\nIcon=folder-pictures\nComment=Trip \n";

struct Row {
	const char* name;
	bool clear;  // the drop is on Clear icon, else on Set icon
	const char* userDirectory;  // NULL: Vellumark made .directory
};

const Row kRows[] = {
	{"set_made", false, NULL},
	{"set_user", false, kUserDirectory},
	{"clear_made", true, NULL},
	{"clear_user", true, kUserDirectory},
};

// The lines that Vellumark leaves as they are (all but Icon= and its own), and Icon='s value
// in [Desktop Entry], the group the file managers read.
std::vector<std::string> OthersLines(const std::string& text, std::string* icon = NULL)
{
	std::vector<std::string> lines;
	std::istringstream in(text);
	for (std::string line, group; std::getline(in, line);) {
		group = line[0] == '[' ? line : group;
		if (icon != NULL && group == "[Desktop Entry]" && line.compare(0, 5, "Icon=") == 0)
			*icon = line.substr(5);
		if (line.compare(0, 5, "Icon=") != 0 && line.compare(0, 12, "X-Vellumark-") != 0)
			lines.push_back(line);
	}
	return lines;
}

std::string IconValue(const std::string& text)
{
	std::string icon;
	OthersLines(text, &icon);
	return icon;
}

bool Exists(const std::string& path)
{
	return std::filesystem::exists(std::filesystem::symlink_status(path));
}

// What is wrong with .directory after any run, or nothing.
std::string WrongPointers(const std::string& folder, const Row& row)
{
	std::string text = ReadFile(folder + "/.directory"), icon = IconValue(text), wrong;
	if (icon.compare(0, 2, "./") == 0 && !Exists(folder + icon.substr(1)))
		wrong += ".directory names " + icon + ", which is not there; ";
	if (row.userDirectory != NULL && OthersLines(text) != OthersLines(row.userDirectory))
		wrong += ".directory lost lines of the user's: \"" + text + "\"; ";
	return wrong;
}

// What is wrong after a clean run of the row's drop, or nothing.
std::string WrongAfterCleanRun(const std::string& folder, const Row& row)
{
	std::string wrong = WrongPointers(folder, row), images = FolderImage(folder);
	std::string text = ReadFile(folder + "/.directory");
	Bytes large;
	GetXattr(folder, kLargeIconAttr, &large);
	if (row.clear ? !images.empty() || !large.empty()
				  : images.empty() || images != ImageForStoredIcon(large))
		wrong += "the images are \"" + images + "\", the icon " + std::to_string(large.size())
			+ " bytes; ";
	if (!row.clear && IconValue(text) != "./" + images.substr(0, images.size() - 1))
		wrong += ".directory names \"" + IconValue(text) + "\", not the image; ";
	if (row.clear
		&& (row.userDirectory != NULL ? text != row.userDirectory : Exists(folder + "/.directory")))
		wrong += ".directory is not as before the first Set icon: \"" + text + "\"; ";
	for (const std::string& name : FolderNames(folder)) {
		if (name.compare(0, 15, ".vellumark-tmp-") == 0 || name == ".directory.lock")
			wrong += name + " is left; ";
	}
	return wrong;
}

// Runs the drop in the driver with the interposer set on the folder and the step: what the
// run itself got wrong (its time, its end, what it printed without a fault), and its log.
std::string RunWithFault(const std::string& folder, const char* mode, int step,
	const std::string& order, std::string* steps)
{
	std::string log = folder + ".log", out = folder + ".out";
	// A shared sanitizer runtime (GCC's) then comes after the interposer: ASan must allow it.
	std::string prefix = "timeout -s KILL " + std::to_string(kBoundSeconds + 5)
		+ " env LD_PRELOAD=" FAULT_INTERPOSER " VELLUMARK_FAULT_DIR=" + folder
		+ " VELLUMARK_FAULT_STEP=" + std::to_string(step) + " VELLUMARK_FAULT_MODE=" + mode
		+ " VELLUMARK_FAULT_LOG=" + log + " ASAN_OPTIONS=$ASAN_OPTIONS:verify_asan_link_order=0 ";
	Clock::time_point begun = Clock::now();
	int status = RunDriver(order, out, prefix);
	double seconds = std::chrono::duration<double>(Clock::now() - begun).count();
	*steps = ReadFile(log);
	std::string printed = ReadFile(out).substr(0, 500);
	bool faulted = steps->find(kHit) != std::string::npos;
	if (seconds >= kBoundSeconds)
		return "it ran " + std::to_string(seconds) + " s; ";
	if ((!faulted || strcmp(mode, "crash") != 0) && status != 0)
		return "it ended with " + std::to_string(status) + ": " + printed + "; ";
	return faulted || printed.empty() ? "" : "it printed \"" + printed + "\"; ";
}

class FaultInjection : public ::testing::TestWithParam<std::tuple<int, int>> {};

}  // namespace

TEST_P(FaultInjection, EachWriteStepFailedOrCrashedLeavesPointersWholeAndACleanRunTidies)
{
	const char* mode = kModes[std::get<0>(GetParam())];
	const Row& row = kRows[std::get<1>(GetParam())];
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	app_test::AppRunner app;
	Clock::time_point start = Clock::now();
	std::string wrongs, unfaulted;
	int points = 0, failed = 0;
	for (int step = 1; unfaulted.empty(); step++) {
		// A sanitized run takes a second or more: as many steps as 80 s allow there.
		if (Sanitized() && Clock::now() - start > std::chrono::seconds(80))
			break;
		// The start: item a's icon drawn into the folder's by a real Set icon, checked as a
		// clean Set icon leaves it; item b's is the next one set.
		std::string folder = dir.Make(std::to_string(step), true), a = folder + "/a";
		std::string b = folder + "/b", dropped = row.clear ? a : b;
		WriteFile(a, "a");
		WriteFile(b, "b");
		ASSERT_TRUE(GiveIcons(a, 0, 0x23) && GiveIcons(b, 0, 0x2a));
		if (row.userDirectory != NULL)
			WriteFile(folder + "/.directory", row.userDirectory);
		Drop(app, kSetBox, DragOf(a));
		ASSERT_EQ(WrongAfterCleanRun(folder, kRows[row.userDirectory != NULL]), "") << "the start";

		std::string steps, order = (row.clear ? "clear 1 " : "set 1 ") + dropped;
		std::string wrong = RunWithFault(folder, mode, step, order, &steps);
		wrong += WrongPointers(folder, row);
		Drop(app, row.clear ? kClearBox : kSetBox, DragOf(dropped));
		std::string untidy = WrongAfterCleanRun(folder, row);
		wrong += untidy.empty() ? "" : "after a clean run: " + untidy;

		size_t hit = steps.find(kHit);
		std::string at =
			hit != std::string::npos ? steps.substr(steps.rfind('\n', hit) + 1) : "no fault";
		at = at.substr(0, at.find('\n'));
		failed += !wrong.empty();
		wrongs += wrong.empty() ? "" : "\n" + at + ": " + wrong;
		points += hit != std::string::npos;
		if (hit == std::string::npos)
			unfaulted = steps.empty() ? "none" : steps;
	}
	EXPECT_GT(points, 0) << "the interposer counted no write step";
	EXPECT_EQ(failed, 0) << wrongs << "\nThe steps of a run without a fault:\n" << unfaulted;
	std::string figure = std::string("fault.injected.") + row.name + "." + mode;
	RecordFigure(figure + ".steps", points);
	RecordFigure(figure + ".failed", failed);
	RecordFigure(figure + ".seconds", (Clock::now() - start) / std::chrono::seconds(1));
}

INSTANTIATE_TEST_SUITE_P(ModesAndRows, FaultInjection,
	::testing::Combine(::testing::Range(0, 3), ::testing::Range(0, 4)),
	[](const ::testing::TestParamInfo<std::tuple<int, int>>& info) {
		return std::string(kModes[std::get<0>(info.param)]) + "_"
			+ kRows[std::get<1>(info.param)].name;
	});
