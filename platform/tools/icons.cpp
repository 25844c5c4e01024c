// vellumark-icons: lists the folders that have own icons, repairs what the Linux file managers
// read of them, and clears them, from the command line.

#include <Bitmap.h>
#include <Node.h>
#include <NodeInfo.h>

#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "desktop/FileMetadata.h"
#include "desktop/FolderIconObserver.h"
#include "desktop/FolderIconView.h"
#include "tools/FolderWalk.h"

using namespace platform;

namespace {

const char kName[] = "vellumark-icons";
const char kUsage[] = "usage: vellumark-icons list|repair|clear [-r] PATH...\n";
// The icons as the storage kit stores them (see README.md): only looked for, so that the
// folders of a large tree without any are passed by at the cost of two calls each.
const char* const kIconAttributes[] = {"user.BEOS:L:STD_ICON", "user.BEOS:M:STD_ICON"};
const std::chrono::milliseconds kProgressAfter(1000);
const std::chrono::milliseconds kProgressEvery(250);

enum Command {
	kList,
	kRepair,
	kClear
};

// Whether a failed read means the folder has no such icon: none stored, a file system that
// keeps none, or a value that is no icon (the wrong size or type).
bool IsNoIcon(status_t status)
{
	return status == B_ENTRY_NOT_FOUND || status == B_NOT_SUPPORTED || status == B_BAD_DATA
		|| status == B_BAD_TYPE;
}

bool MayHoldIcons(int fd)
{
	for (const char* name : kIconAttributes) {
		if (fgetxattr(fd, name, NULL, 0) >= 0 || (errno != ENODATA && errno != ENOTSUP))
			return true;
	}
	return false;
}

const char* StatusText(status_t status)
{
	switch (status) {
		case B_NAME_TOO_LONG:
			return "its path is too long";
		case B_ENTRY_NOT_FOUND:
			return "it is gone";
		default:
			return ViewFailureReason(status);
	}
}

class IconsCommand {
public:
	explicit IconsCommand(Command command) :
		fCommand(command),
		fTerminal(isatty(2)),
		fStart(std::chrono::steady_clock::now()),
		fLastProgress(fStart)
	{
	}

	~IconsCommand() { EndProgress(); }

	bool Visit(const FolderWalk::Folder& folder);

	void Fail(const std::string& shown, const std::string& problem)
	{
		EndProgress();
		fprintf(stderr, "%s: %s: %s\n", kName, shown.c_str(), problem.c_str());
	}

private:
	bool Inspect(const FolderWalk::Folder& folder, const uint8* icon, const struct stat& st);
	bool Clear(const FolderWalk::Folder& folder, BNodeInfo& info);
	void Say(const char* state, const std::string& shown)
	{
		EndProgress();
		printf("%s\t%s\n", state, shown.c_str());
	}
	void Progress();
	void EndProgress();

	Command fCommand;
	bool fTerminal;
	bool fMetadataTold = false;
	bool fProgressShown = false;
	unsigned long long fFolders = 0;
	std::chrono::steady_clock::time_point fStart;
	std::chrono::steady_clock::time_point fLastProgress;
};

bool IconsCommand::Visit(const FolderWalk::Folder& folder)
{
	Progress();
	if (!MayHoldIcons(folder.fd))
		return true;
	// The kits open the folder by its path: it must still be the folder walked.
	BNode node(folder.path.c_str());
	struct stat st;
	if (node.InitCheck() != B_OK) {
		Fail(folder.shown, StatusText(node.InitCheck()));
		return false;
	}
	if (fstat(node.Descriptor(), &st) != 0 || st.st_dev != folder.st.st_dev
		|| st.st_ino != folder.st.st_ino) {
		Fail(folder.shown, "it was replaced while it was looked at");
		return false;
	}
	BNodeInfo info(&node);
	if (fCommand == kClear)
		return Clear(folder, info);
	BBitmap large(BRect(0, 0, B_LARGE_ICON - 1, B_LARGE_ICON - 1), B_CMAP8);
	status_t status = info.GetIcon(&large, B_LARGE_ICON);
	if (status != B_OK && !IsNoIcon(status))
		Fail(folder.shown, StatusText(status));
	if (status != B_OK)
		return IsNoIcon(status);
	uint8 icon[B_LARGE_ICON * B_LARGE_ICON];
	for (int row = 0; row < B_LARGE_ICON; row++) {
		memcpy(icon + row * B_LARGE_ICON,
			static_cast<const uint8*>(large.Bits()) + row * large.BytesPerRow(), B_LARGE_ICON);
	}
	return Inspect(folder, icon, st);
}

bool IconsCommand::Inspect(
	const FolderWalk::Folder& folder, const uint8* icon, const struct stat& st)
{
	if (!fMetadataTold && !FileMetadata::IsAvailable()) {
		EndProgress();
		fprintf(stderr,
			"%s: GIO's metadata store is not available (no session bus or no GVfs): what "
			"GNOME Files, Nemo, Caja and Thunar show is not judged\n",
			kName);
	}
	fMetadataTold = true;
	// Collects the first failure of a step, as a Set icon does.
	IconChange change({folder.fd, st.st_dev, st.st_ino, true}, B_LARGE_ICON, icon, NULL,
		[](uint8*) { return false; });
	FolderIconView view(folder.fd, &change);
	if (fCommand == kList) {
		Say(view.Inspect(icon).problem == NULL ? "ok" : "stale", folder.shown);
		return true;
	}
	bool published = false;
	FolderIconView::Inspection found = view.Repair(icon, &published);
	if (found.problem == NULL) {
		if (published)
			Say("repaired", folder.shown);
		return true;
	}
	std::string problem = found.problem;
	if (found.foreign)
		problem += "; left as it is";
	else if (change.FailedWhat() != NULL)
		problem += std::string(" (") + change.FailedWhat() + ": "
			+ ViewFailureReason(change.FailedStatus()) + ")";
	Fail(folder.shown, problem);
	return false;
}

// As Clear icon does: both icons go, through the kit, and the desktop takes back its view.
bool IconsCommand::Clear(const FolderWalk::Folder& folder, BNodeInfo& info)
{
	BBitmap large(BRect(0, 0, B_LARGE_ICON - 1, B_LARGE_ICON - 1), B_CMAP8);
	BBitmap mini(BRect(0, 0, B_MINI_ICON - 1, B_MINI_ICON - 1), B_CMAP8);
	status_t statuses[] = {info.GetIcon(&large, B_LARGE_ICON), info.GetIcon(&mini, B_MINI_ICON)};
	for (status_t status : statuses) {
		if (status != B_OK && !IsNoIcon(status)) {
			Fail(folder.shown, StatusText(status));
			return false;
		}
	}
	if (IsNoIcon(statuses[0]) && IsNoIcon(statuses[1]))
		return true;
	status_t status = info.SetIcon(NULL, B_LARGE_ICON);
	status_t miniStatus = info.SetIcon(NULL, B_MINI_ICON);
	if (status == B_OK)
		status = miniStatus;
	if (status != B_OK) {
		Fail(folder.shown,
			std::string("its own icons could not be removed (") + StatusText(status) + ")");
		return false;
	}
	Say("cleared", folder.shown);
	return true;
}

void IconsCommand::Progress()
{
	fFolders++;
	if (!fTerminal || fFolders % 256 != 0)
		return;
	std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now();
	if (now - fStart < kProgressAfter || now - fLastProgress < kProgressEvery)
		return;
	fLastProgress = now;
	fProgressShown = true;
	fprintf(stderr, "\r%s: %llu folders looked at\033[K", kName, fFolders);
}

void IconsCommand::EndProgress()
{
	if (fProgressShown)
		fputs("\r\033[K", stderr);
	fProgressShown = false;
}

int UsageError(const char* problem, const char* argument)
{
	fprintf(stderr, "%s: %s%s\n%s", kName, problem, argument, kUsage);
	return 2;
}

}  // namespace

int main(int argc, char** argv)
{
	if (argc == 2 && (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0)) {
		fputs(kUsage, stdout);
		return 0;
	}
	if (argc < 2)
		return UsageError("no command", "");
	const char* const commands[] = {"list", "repair", "clear"};
	int command = 0;
	while (command < 3 && strcmp(argv[1], commands[command]) != 0)
		command++;
	if (command == 3)
		return UsageError("unknown command ", argv[1]);
	bool recursive = false;
	bool options = true;
	std::vector<std::string> paths;
	for (int i = 2; i < argc; i++) {
		if (options && strcmp(argv[i], "--") == 0)
			options = false;
		else if (options && strcmp(argv[i], "-r") == 0)
			recursive = true;
		else if (options && argv[i][0] == '-' && argv[i][1] != '\0')
			return UsageError("unknown option ", argv[i]);
		else
			paths.push_back(argv[i]);
	}
	if (paths.empty())
		return UsageError("no PATH", "");

	// As the program's composition does: every icon cleared here has its view taken back.
	SetNodeIconObserver(&FolderIconObserver::Instance());
	IconsCommand icons{Command(command)};
	FolderWalk walk(
		recursive, [&](const FolderWalk::Folder& folder) { return icons.Visit(folder); },
		[&](const std::string& shown, const std::string& problem) { icons.Fail(shown, problem); });
	bool held = true;
	for (const std::string& path : paths)
		held = walk.Walk(path) && held;
	return held ? 0 : 1;
}
