#include "TestSupport.h"

#include <Bitmap.h>
#include <Node.h>
#include <NodeInfo.h>

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <stddef.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

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

// An alarm, not a thread: it needs no lock, and a forked child does not inherit it.
Watchdog::Watchdog(unsigned seconds)
{
	signal(SIGALRM, [](int) {
		static const char kHung[] = "watchdog: the test hung\n";
		ssize_t written = write(2, kHung, sizeof(kHung) - 1);
		(void)written;
		abort();
	});
	alarm(seconds);
}

namespace {

long StatusKiB(const std::string& field)
{
	std::ifstream status("/proc/self/status");
	for (std::string line; std::getline(status, line);) {
		if (line.rfind(field + ":", 0) == 0)
			return atol(line.c_str() + field.size() + 1);
	}
	return -1;
}

std::string XFilePath(int number)
{
	return "/tmp/.X11-unix/X" + std::to_string(number);
}

// A socket listening where the X server of the display number would; -1 where none can.
int Listen(XListener where, int number)
{
	if (where == kXNowhere)
		return -1;
	sockaddr_storage address = {};
	socklen_t length = sizeof(sockaddr_in);
	if (where == kXLoopback) {
		sockaddr_in* inet = (sockaddr_in*)&address;
		inet->sin_family = AF_INET;
		inet->sin_port = htons(6000 + number);
		inet->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
	} else {
		mkdir("/tmp/.X11-unix", 01777);
		sockaddr_un* local = (sockaddr_un*)&address;
		local->sun_family = AF_UNIX;
		std::string path = XFilePath(number);
		memcpy(local->sun_path + (where == kXAbstract ? 1 : 0), path.data(), path.size());
		length = offsetof(sockaddr_un, sun_path) + path.size() + 1;
	}
	int fd = socket(address.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
	int on = 1;
	setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
	if (bind(fd, (sockaddr*)&address, length) == 0 && listen(fd, where == kXFullFile ? 0 : 8) == 0)
		return fd;
	close(fd);
	return -1;
}

}  // namespace

TempDir::TempDir()
{
	// Under /tmp: the unprivileged runs of the fault tests must reach their folders.
	std::filesystem::create_directories("/tmp/vellumark-test-scratch");
	fPath = "/tmp/vellumark-test-scratch/t-XXXXXX";
	if (mkdtemp(fPath.data()) == NULL)
		ADD_FAILURE() << "cannot make a scratch folder under " << fPath;
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
	std::filesystem::create_directories(
		directory ? std::filesystem::path(path) : std::filesystem::path(path).parent_path());
	if (!directory)
		std::ofstream(path) << "x";
	return path;
}

std::string ReadFile(const std::string& path)
{
	std::ifstream in(path, std::ios::binary);
	return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& content)
{
	std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

bool SupportsUserXattrs(const std::string& folder)
{
	std::string probe = folder + "/.xattr-probe";
	WriteFile(probe, "");
	bool ok = setxattr(probe.c_str(), "user.probe", "1", 1, 0) == 0;
	unlink(probe.c_str());
	return ok;
}

bool GetXattr(const std::string& path, const std::string& name, std::vector<uint8_t>* value)
{
	ssize_t size = lgetxattr(path.c_str(), name.c_str(), NULL, 0);
	value->resize(std::max<ssize_t>(size, 0));
	size = size < 0 ? -1 : lgetxattr(path.c_str(), name.c_str(), value->data(), value->size());
	value->resize(std::max<ssize_t>(size, 0));
	return size >= 0;
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
	return int(FolderNames("/proc/self/task").size());
}

int CountDescriptors()
{
	return int(FolderNames("/proc/self/fd").size());
}

#ifdef VELLUMARK_COVERAGE
extern "C" void __gcov_dump(void);
#endif

int RunUnprivileged(const std::function<int()>& fn)
{
	fflush(NULL);
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
#ifdef VELLUMARK_COVERAGE
		__gcov_dump();  // _exit skips the writing of the counts at exit
#endif
		_exit(status & 0xff);
	}
	int status = 0;
	return waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

long ResidentKiB()
{
	return StatusKiB("VmRSS");
}

long PeakResidentKiB()
{
	return StatusKiB("VmHWM");
}

bool ResetPeakResident()
{
	// 5 resets the peak to what is resident now.
	std::ofstream clear("/proc/self/clear_refs");
	return bool(clear << "5" << std::flush);
}

void RecordFigure(const std::string& name, const std::string& value)
{
	// One write per line (the stream's buffer holds it), in append mode: tests running side by
	// side never mix lines.
	const char* path = getenv("VELLUMARK_FIGURES");
	if (path != NULL && *path != '\0')
		std::ofstream(path, std::ios::app) << name + " " + value + "\n";
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

FakeXServer::FakeXServer(XListener where, int number, int answerAfterMs, bool closes) :
	fListener(Listen(where, number)),
	fFile(where == kXFile || where == kXFullFile ? XFilePath(number) : "")
{
	if (where == kXFullFile) {
		sockaddr_un address = {};
		address.sun_family = AF_UNIX;
		fFile.copy(address.sun_path, sizeof(address.sun_path) - 1);
		fFiller = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
		connect(fFiller, (sockaddr*)&address, sizeof(address));
	}
	if (fListener >= 0 && answerAfterMs >= 0)
		fThread = std::thread([this, answerAfterMs, closes] { Serve(answerAfterMs, closes); });
}

FakeXServer::~FakeXServer()
{
	if (fThread.joinable())
		fThread.join();
	close(fFiller);
	if (fListener >= 0 && !fFile.empty())
		unlink(fFile.c_str());
	close(fListener);
}

int FakeXServer::FreeNumber(int from)
{
	for (;; from++) {
		int abstract = Listen(kXAbstract, from);
		int loopback = Listen(kXLoopback, from);
		close(abstract);
		close(loopback);
		if (abstract >= 0 && loopback >= 0 && access(XFilePath(from).c_str(), F_OK) != 0)
			return from;
	}
}

// Each wait for the other end is bounded by a receive timeout, accept's too.
void FakeXServer::Serve(int answerAfterMs, bool closes)
{
	static const std::string kExpected = std::string("B\0\0\13\0\0\0\22\0\20\0\0", 12)
		+ "MIT-MAGIC-COOKIE-1" + std::string(2, '\0') + "sixteen-byte-key";
	timeval limit = {2, 0};
	setsockopt(fListener, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
	int fd = accept(fListener, NULL, NULL);
	setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
	std::string request(kExpected.size(), '\0');
	if (recv(fd, &request[0], request.size(), MSG_WAITALL) == ssize_t(request.size())
		&& request == kExpected) {
		std::this_thread::sleep_for(std::chrono::milliseconds(answerAfterMs));
		if (!closes)
			send(fd, "\1", 1, MSG_NOSIGNAL);
	} else {
		recv(fd, &request[0], 1, 0);  // until the other end gives up
	}
	close(fd);
}

}  // namespace testing_support
