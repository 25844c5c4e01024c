// Two Vellumark processes set icons on the same folder at once, each dropping its own file
// over and over. The two files carry own mini icons, each of one opaque colour, so that a Set
// icon always draws over the whole lower part and the stored icons a single Set icon can make
// are exactly known: the folder's type icon with one file's colour drawn in. Every value
// seen, while they run and at the end, must be one of those: an attribute is never torn, nor
// mixed from both processes' writes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <set>
#include <string>
#include <thread>

#include "FaultSupport.h"
#include "TestSupport.h"

using namespace fault_test;
using testing_support::GetXattr;
using testing_support::RecordFigure;
using testing_support::SetXattr;
using testing_support::TempDir;

extern char** environ;

namespace {

const std::chrono::seconds kWatchdog(90);

// One drop driver, its standard output sent to a file.
class Driver {
public:
	Driver(long count, const std::string& item, const std::string& output) :
		fOutput(output)
	{
		std::string errors = output + ".err";
		std::string countText = std::to_string(count);
		const char* argv[] = {FAULT_DROP_DRIVER, "set", countText.c_str(), item.c_str(), NULL};
		posix_spawn_file_actions_t actions;
		posix_spawn_file_actions_init(&actions);
		posix_spawn_file_actions_addopen(
			&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
		posix_spawn_file_actions_addopen(
			&actions, STDERR_FILENO, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
		if (posix_spawn(
				&fPid, FAULT_DROP_DRIVER, &actions, NULL, const_cast<char* const*>(argv), environ)
			!= 0)
			fPid = -1;
		posix_spawn_file_actions_destroy(&actions);
	}

	~Driver()
	{
		if (fPid > 0 && !fEnded) {
			kill(fPid, SIGKILL);
			waitpid(fPid, NULL, 0);
		}
	}

	bool Started() const { return fPid > 0; }

	// Whether it has ended; its exit status then in Status().
	bool Ended()
	{
		int status = 0;
		if (!fEnded && fPid > 0 && waitpid(fPid, &status, WNOHANG) == fPid) {
			fEnded = true;
			fStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
		}
		return fEnded;
	}

	int Status() const { return fStatus; }
	std::string Printed() const { return ReadFile(fOutput); }
	std::string Reported() const { return ReadFile(fOutput + ".err"); }

private:
	pid_t fPid = -1;
	bool fEnded = false;
	int fStatus = -1;
	std::string fOutput;
};

// Two drivers dropping their own file on the same folder's Set icon box at once, with the
// stored icons sampled meanwhile and once more at the end.
class ConcurrentSetIcons : public ::testing::Test {
protected:
	void SetUp() override
	{
		SKIP_WITHOUT_XATTRS(fDir.Path());
		fFolder = fDir.Make("folder", true);
		fItems[0] = fDir.Make("folder/first");
		fItems[1] = fDir.Make("folder/second");
		const uint8_t colours[] = {0x23, 0x2A};
		Bytes typeLarge = TrackerIcon(fFolder, 32), typeMini = TrackerIcon(fFolder, 16);
		ASSERT_EQ(typeLarge.size(), 1024u);
		// No value yet, or the type icon with one file drawn in.
		fLargeIcons = {Bytes()};
		fMiniIcons = {Bytes()};
		for (int i = 0; i < 2; i++) {
			ASSERT_TRUE(SetXattr(fItems[i], kMiniAttr, PlainMiniIcon(colours[i])));
			Bytes large, mini;
			ComposedIcons(Bytes(256, colours[i]), typeLarge, typeMini, &large, &mini);
			fLargeIcons.insert(Stored("ICON", large));
			fMiniIcons.insert(Stored("MICN", mini));
			fImages.insert(ImageForStoredIcon(Stored("ICON", large)));
		}
		fSets = CountFromEnvironment("VELLUMARK_FAULT_CONCURRENT_SETS", 1000);
	}

	void Sample()
	{
		Bytes large, mini;
		GetXattr(fFolder, kLargeAttr, &large);
		GetXattr(fFolder, kMiniAttr, &mini);
		fSamples += 2;
		fTorn += (fLargeIcons.count(large) == 0) + (fMiniIcons.count(mini) == 0);
	}

	// Both drivers run to their end, each having printed nothing; what they told on their
	// standard error.
	std::string Run()
	{
		Driver one(fSets, fItems[0], fDir.Join("first.out"));
		Driver two(fSets, fItems[1], fDir.Join("second.out"));
		EXPECT_TRUE(one.Started() && two.Started());
		auto deadline = std::chrono::steady_clock::now() + kWatchdog;
		// Both are asked each time, so that each is reaped as soon as it ends.
		auto bothEnded = [&] {
			bool first = one.Ended();
			bool second = two.Ended();
			return first && second;
		};
		while (!bothEnded() && std::chrono::steady_clock::now() < deadline) {
			Sample();
			std::this_thread::sleep_for(std::chrono::microseconds(500));
		}
		EXPECT_TRUE(one.Ended() && two.Ended()) << "the drivers did not finish in time";
		Sample();
		EXPECT_EQ(one.Status(), 0);
		EXPECT_EQ(two.Status(), 0);
		EXPECT_EQ(one.Printed() + two.Printed(), "") << "a Set icon failed";
		return one.Reported() + two.Reported();
	}

	TempDir fDir;
	std::string fFolder;
	std::string fItems[2];
	std::set<Bytes> fLargeIcons, fMiniIcons;
	std::set<std::string> fImages;
	int fSets = 0;
	long long fSamples = 0, fTorn = 0;
};

}  // namespace

// Every value sampled, and the image at the end, is one a single Set icon could have made.
// Each replaces the image by renaming a new file over it, so the other may find the file it
// just opened without a link: that is a file being replaced, not another program's file, and
// neither tells of one.
TEST_F(ConcurrentSetIcons, EveryStoredIconAndImageIsOneASingleSetIconCouldHaveMade)
{
	EXPECT_EQ(Run(), "");
	EXPECT_EQ(fTorn, 0) << "of " << fSamples << " values sampled";
	EXPECT_TRUE(testing_support::HasXattr(fFolder, kLargeAttr)) << "no icon stored at all";
	EXPECT_EQ(fImages.count(FolderImage(fFolder)), 1u);
	RecordFigure("fault.concurrent.sets", 2LL * fSets);
	RecordFigure("fault.concurrent.samples", fSamples);
	RecordFigure("fault.concurrent.torn", fTorn);
}
