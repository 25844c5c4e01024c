// Folders that refuse attributes: a root-owned folder, to another Vellumark process run
// without root privileges, and folders of /proc and /sys, whose file systems keep no user
// attributes. Each drop ends in its fixed lines, nothing crashes, and nothing changes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "FaultSupport.h"
#include "TestSupport.h"

using namespace fault_test;
using testing_support::RecordFigure;
using testing_support::RunUnprivileged;
using testing_support::SetXattr;
using testing_support::TempDir;

namespace {

const char kSetLines[] = "Set large icon failed.\nSet mini icon failed.\n";
const char kClearLines[] = "Merdoiement au clear du large icon.\n"
						   "Merdoiement au clear du mini icon.\n";

// Runs the drop driver as nobody, once: its exit status, and what it printed.
int DropUnprivileged(const char* operation, const std::string& path, std::string* printed)
{
	int pipeFds[2];
	if (pipe(pipeFds) != 0)
		return -1;
	int status = RunUnprivileged([&] {
		dup2(pipeFds[1], STDOUT_FILENO);
		close(pipeFds[0]);
		close(pipeFds[1]);
		execl(FAULT_DROP_DRIVER, FAULT_DROP_DRIVER, operation, "1", path.c_str(), (char*)NULL);
		return 127;
	});
	close(pipeFds[1]);
	printed->clear();
	char buffer[4096];
	ssize_t got;
	while ((got = read(pipeFds[0], buffer, sizeof(buffer))) > 0)
		printed->append(buffer, got);
	close(pipeFds[0]);
	return status;
}

class Unprivileged : public ::testing::Test {
protected:
	void SetUp() override
	{
		if (geteuid() != 0)
			GTEST_SKIP() << "the folder must belong to root and the drop to someone else";
		SKIP_WITHOUT_XATTRS(fDir.Path());
		fFolder = fDir.Make("root-owned", true);
		fItem = fDir.Make("root-owned/item");
		ASSERT_EQ(chmod(fFolder.c_str(), 0755), 0);
		ASSERT_TRUE(SetXattr(fFolder, kLargeAttr, PlainLargeIcon(0x40)));
		ASSERT_TRUE(SetXattr(fFolder, kMiniAttr, PlainMiniIcon(0x41)));
		ASSERT_TRUE(SetXattr(fFolder, "user.comment", Bytes{'r', 'o', 'o', 't'}));
		ASSERT_TRUE(SetXattr(fItem, kMiniAttr, PlainMiniIcon(0x23)));
		fBefore = AllXattrs(fFolder);
	}

	void ExpectNothingChanged()
	{
		EXPECT_TRUE(AllXattrs(fFolder) == fBefore) << "an attribute changed";
		EXPECT_EQ(FolderImage(fFolder), "");
		EXPECT_EQ(ReadFile(fFolder + "/.directory"), "");
	}

	TempDir fDir;
	std::string fFolder, fItem;
	Xattrs fBefore;
};

// A folder of a kernel file system with a regular file in it, dropped as root through the
// real window: both operations refused with their lines, the folder's attributes as they
// were (none).
void ExpectRefused(const std::string& file, const std::string& figure)
{
	std::string folder = file.substr(0, file.rfind('/'));
	Xattrs before = AllXattrs(folder);
	FaultWindow window;
	std::string set = window.DropPath(kSetBox, file);
	std::string clear = window.DropPath(kClearBox, file);
	EXPECT_EQ(set, kSetLines) << file;
	EXPECT_EQ(clear, kClearLines) << file;
	EXPECT_TRUE(AllXattrs(folder) == before) << "an attribute of " << folder << " changed";
	RecordFigure(figure + ".file", file);
	RecordFigure(figure + ".outcome",
		set == kSetLines && clear == kClearLines ? "refused_with_lines" : "unexpected");
}

}  // namespace

TEST_F(Unprivileged, SetIconIntoARootFolderPrintsBothStoreFailuresAndChangesNothing)
{
	std::string printed;
	EXPECT_EQ(DropUnprivileged("set", fItem, &printed), 0);
	EXPECT_EQ(printed, kSetLines);
	ExpectNothingChanged();
	RecordFigure("fault.unprivileged.set.outcome",
		printed == kSetLines ? "refused_with_lines" : "unexpected");
}

TEST_F(Unprivileged, ClearIconOfARootFolderPrintsBothRemovalFailuresAndKeepsItsIcons)
{
	for (const std::string& dropped : {fFolder, fItem}) {
		std::string printed;
		EXPECT_EQ(DropUnprivileged("clear", dropped, &printed), 0) << dropped;
		EXPECT_EQ(printed, kClearLines) << dropped;
		ExpectNothingChanged();
		RecordFigure(dropped == fFolder ? "fault.unprivileged.clear_folder.outcome"
										: "fault.unprivileged.clear_item.outcome",
			printed == kClearLines ? "refused_with_lines" : "unexpected");
	}
}

TEST(KernelFolder, UnderProcRefusesSetAndClearIconWithTheirLines)
{
	ExpectRefused("/proc/self/status", "fault.proc");
}

TEST(KernelFolder, UnderSysRefusesSetAndClearIconWithTheirLines)
{
	for (const char* file : {"/sys/kernel/uevent_seqnum", "/sys/kernel/address_bits",
			 "/sys/kernel/profiling", "/sys/power/state"}) {
		struct stat st;
		if (stat(file, &st) == 0 && S_ISREG(st.st_mode))
			return ExpectRefused(file, "fault.sys");
	}
	GTEST_SKIP() << "no regular file found under /sys";
}
