#include "TestSupport.h"

#include <Bitmap.h>
#include <GraphicsDefs.h>
#include <Node.h>
#include <NodeInfo.h>

#include <dirent.h>
#include <fcntl.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <grp.h>
#include <pwd.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

namespace testing_support {

const char kLargeIconAttr[] = "user.BEOS:L:STD_ICON";
const char kMiniIconAttr[] = "user.BEOS:M:STD_ICON";

Bytes Stored(const char* type, const Bytes& data)
{
	Bytes value(4 + data.size());
	memcpy(value.data(), type, 4);
	std::copy(data.begin(), data.end(), value.begin() + 4);
	return value;
}

Bytes TrackerIcon(const std::string& path, int size)
{
	BNode node(path.c_str());
	BNodeInfo info(&node);
	BBitmap icon(BRect(0, 0, size - 1, size - 1), B_CMAP8);
	if (info.GetTrackerIcon(&icon, icon_size(size)) != B_OK)
		return Bytes();
	const uint8* bits = static_cast<const uint8*>(icon.Bits());
	Bytes pixels;
	for (int y = 0; y < size; y++)
		pixels.insert(
			pixels.end(), bits + y * icon.BytesPerRow(), bits + y * icon.BytesPerRow() + size);
	return pixels;
}

Bytes DecodedImage(const std::string& path, int size)
{
	GdkPixbuf* image = size > 0
		? gdk_pixbuf_new_from_file_at_scale(path.c_str(), size, size, TRUE, NULL)
		: gdk_pixbuf_new_from_file(path.c_str(), NULL);
	bool rgba = image != NULL && gdk_pixbuf_get_n_channels(image) == 4
		&& gdk_pixbuf_get_rowstride(image) == gdk_pixbuf_get_width(image) * 4;
	const guint8* bytes = rgba ? gdk_pixbuf_read_pixels(image) : NULL;
	Bytes pixels(bytes, bytes + (rgba ? gdk_pixbuf_get_byte_length(image) : 0));
	if (image != NULL)
		g_object_unref(image);
	return pixels;
}

Bytes ScaledIcon(const uint8_t* indices, int side, int scale)
{
	Bytes pixels;
	for (int i = 0; i < side * side * scale * scale; i++) {
		int y = i / (side * scale) / scale, x = i % (side * scale) / scale;
		rgb_color c = system_colors()->color_list[indices[y * side + x]];
		c = c.alpha == 0 ? rgb_color{0, 0, 0, 0} : c;
		pixels.insert(pixels.end(), {c.red, c.green, c.blue, c.alpha});
	}
	return pixels;
}

struct Watchdog::State {
	std::mutex mutex;
	std::condition_variable done;
	bool finished = false;
	std::thread thread;
};

Watchdog::Watchdog(unsigned seconds) :
	fState(new State)
{
	State* state = fState;
	state->thread = std::thread([state, seconds] {
		std::unique_lock<std::mutex> lock(state->mutex);
		if (!state->done.wait_for(
				lock, std::chrono::seconds(seconds), [state] { return state->finished; })) {
			fprintf(stderr, "watchdog: the test hung\n");
			abort();
		}
	});
}

Watchdog::~Watchdog()
{
	{
		std::lock_guard<std::mutex> lock(fState->mutex);
		fState->finished = true;
	}
	fState->done.notify_all();
	fState->thread.join();
	delete fState;
}

namespace {

std::string ScratchRoot()
{
	// Under /tmp: the unprivileged runs of the fault tests must reach their folders.
	std::string root = "/tmp/vellumark-test-scratch";
	std::filesystem::create_directories(root);
	return root;
}

int CountEntries(const char* folder)
{
	DIR* dir = opendir(folder);
	if (dir == NULL)
		return -1;
	int count = 0;
	while (struct dirent* entry = readdir(dir)) {
		if (entry->d_name[0] != '.')
			count++;
	}
	closedir(dir);
	return count;
}

}  // namespace

TempDir::TempDir()
{
	std::string pattern = ScratchRoot() + "/t-XXXXXX";
	std::vector<char> buffer(pattern.begin(), pattern.end());
	buffer.push_back('\0');
	if (mkdtemp(buffer.data()) == NULL)
		ADD_FAILURE() << "cannot make a scratch folder under " << pattern;
	fPath = buffer.data();
	chmod(fPath.c_str(), 0777);
}

TempDir::~TempDir()
{
	std::error_code ignored;
	std::filesystem::remove_all(fPath, ignored);
}

std::string TempDir::Make(const std::string& relative, bool directory) const
{
	std::string path = Join(relative);
	std::filesystem::create_directories(std::filesystem::path(path).parent_path());
	if (directory)
		std::filesystem::create_directories(path);
	else
		std::ofstream(path) << "x";
	return path;
}

std::string ReadFile(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	std::stringstream content;
	content << in.rdbuf();
	return content.str();
}

void WriteFile(const std::string& path, const std::string& content)
{
	std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

bool SupportsUserXattrs(const std::string& folder)
{
	std::string probe = folder + "/.xattr-probe";
	{
		std::ofstream out(probe);
	}
	bool ok = setxattr(probe.c_str(), "user.probe", "1", 1, 0) == 0;
	unlink(probe.c_str());
	return ok;
}

bool GetXattr(const std::string& path, const std::string& name, std::vector<uint8_t>* value)
{
	ssize_t size = lgetxattr(path.c_str(), name.c_str(), NULL, 0);
	if (size < 0)
		return false;
	value->resize(size);
	size = lgetxattr(path.c_str(), name.c_str(), value->data(), value->size());
	if (size < 0)
		return false;
	value->resize(size);
	return true;
}

bool SetXattr(const std::string& path, const std::string& name, const std::vector<uint8_t>& value)
{
	return lsetxattr(path.c_str(), name.c_str(), value.data(), value.size(), 0) == 0;
}

bool HasXattr(const std::string& path, const std::string& name)
{
	return lgetxattr(path.c_str(), name.c_str(), NULL, 0) >= 0;
}

bool GiveIcons(const std::string& path, uint8_t large, uint8_t mini)
{
	return (large == 0 || SetXattr(path, kLargeIconAttr, Stored("ICON", Bytes(1024, large))))
		&& (mini == 0 || SetXattr(path, kMiniIconAttr, Stored("MICN", Bytes(256, mini))));
}

OutputCapture::OutputCapture(int fd) :
	fFd(fd),
	fSaved(-1),
	fDone(false)
{
	fflush(NULL);
	char name[] = "/tmp/vellumark-output-XXXXXX";
	int file = mkstemp(name);
	fFile = name;
	fSaved = dup(fFd);
	dup2(file, fFd);
	close(file);
}

OutputCapture::~OutputCapture()
{
	Finish();
}

std::string OutputCapture::Finish()
{
	if (fDone)
		return std::string();
	fDone = true;
	fflush(NULL);
	dup2(fSaved, fFd);
	close(fSaved);
	std::string text = ReadFile(fFile);
	unlink(fFile.c_str());
	return text;
}

bool WaitUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout,
	std::chrono::milliseconds poll)
{
	auto end = std::chrono::steady_clock::now() + timeout;
	while (!pred()) {
		if (std::chrono::steady_clock::now() > end)
			return false;
		std::this_thread::sleep_for(poll);
	}
	return true;
}

int RunCommand(const std::string& command, const std::string& outFile)
{
	int status = system((command + " >" + outFile + " 2>&1").c_str());
	return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int CountThreads()
{
	// The first thread a process starts may bring a helper of the runtime's with it
	// (ThreadSanitizer's); it is started before the first count, so that counts compare.
	static const bool settled = [] {
		std::thread([] {}).join();
		return true;
	}();
	(void)settled;
	return CountEntries("/proc/self/task");
}

int CountDescriptors()
{
	return CountEntries("/proc/self/fd");
}

int RunUnprivileged(const std::function<int()>& fn)
{
	fflush(stdout);
	fflush(stderr);
	pid_t pid = fork();
	if (pid < 0)
		return -1;
	if (pid == 0) {
		if (geteuid() == 0) {
			struct passwd* nobody = getpwnam("nobody");
			uid_t uid = nobody != NULL ? nobody->pw_uid : 65534;
			gid_t gid = nobody != NULL ? nobody->pw_gid : 65534;
			if (setgroups(0, NULL) != 0 || setgid(gid) != 0 || setuid(uid) != 0)
				_exit(254);
		}
		int status = fn();
		fflush(stdout);
		_exit(status & 0xff);
	}
	int status = 0;
	if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
		return -1;
	return WEXITSTATUS(status);
}

namespace {

long StatusKiB(const char* format)
{
	FILE* status = fopen("/proc/self/status", "r");
	if (status == NULL)
		return -1;
	char line[256];
	long kib = -1;
	while (fgets(line, sizeof(line), status) != NULL) {
		if (sscanf(line, format, &kib) == 1)
			break;
	}
	fclose(status);
	return kib;
}

}  // namespace

long ResidentKiB()
{
	return StatusKiB("VmRSS: %ld kB");
}

long PeakResidentKiB()
{
	return StatusKiB("VmHWM: %ld kB");
}

bool ResetPeakResident()
{
	// 5 resets the peak to what is resident now.
	int fd = open("/proc/self/clear_refs", O_WRONLY | O_CLOEXEC);
	if (fd < 0)
		return false;
	bool reset = write(fd, "5", 1) == 1;
	close(fd);
	return reset;
}

void RecordFigure(const std::string& name, const std::string& value)
{
	const char* path = getenv("VELLUMARK_FIGURES");
	if (path == NULL || *path == '\0')
		return;
	// One write per line, in append mode: tests running side by side never mix lines.
	std::string line = name + " " + value + "\n";
	int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
	if (fd < 0)
		return;
	ssize_t written = write(fd, line.data(), line.size());
	(void)written;
	close(fd);
}

void RecordFigure(const std::string& name, long long value)
{
	RecordFigure(name, std::to_string(value));
}

std::vector<std::string> FolderNames(const std::string& folder)
{
	std::vector<std::string> names;
	for (const auto& entry : std::filesystem::directory_iterator(folder))
		names.push_back(entry.path().filename());
	std::sort(names.begin(), names.end());
	return names;
}

}  // namespace testing_support
