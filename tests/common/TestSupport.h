#ifndef TEST_SUPPORT_H
#define TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <stdio.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

typedef std::vector<uint8_t> Bytes;

// A folder's own icons, as extended attributes.
extern const char kLargeIconAttr[];  // "user.BEOS:L:STD_ICON"
extern const char kMiniIconAttr[];  // "user.BEOS:M:STD_ICON"

// An attribute value as stored: the type code's four bytes, then the data.
Bytes Stored(const char* type, const Bytes& data);

// The icon the file manager shows for the node at size 16 or 32, as 8-bit pixels; empty when
// it has none.
Bytes TrackerIcon(const std::string& path, int size);

// An image file as gdk-pixbuf decodes it, as it is or drawn at size: red, green, blue and alpha
// of each pixel, rows packed; nothing when it does not decode to RGBA.
Bytes DecodedImage(const std::string& path, int size = 0);

// Colour-mapped pixels, side * side, each one a scale * scale block in the system colour map's
// colour, transparent black for the transparent one: in DecodedImage's layout.
Bytes ScaledIcon(const uint8_t* indices, int side, int scale);

// Ends the process with a message instead of letting a deadlocked test hang.
class Watchdog {
public:
	explicit Watchdog(unsigned seconds = 30);
	~Watchdog() { alarm(0); }
};

// A fresh folder under /tmp/vellumark-test-scratch, removed with its contents on destruction.
// Tests that need extended attributes skip when its file system keeps none.
class TempDir {
public:
	TempDir();
	~TempDir();
	const std::string& Path() const { return fPath; }
	std::string Make(const std::string& relative, bool directory = false) const;
	std::string Join(const std::string& relative) const { return fPath + "/" + relative; }

private:
	std::string fPath;
};

// Whether the folder's file system keeps user extended attributes.
bool SupportsUserXattrs(const std::string& folder);

// Raw extended attribute access, bypassing the kits.
bool GetXattr(const std::string& path, const std::string& name, std::vector<uint8_t>* value);
bool SetXattr(const std::string& path, const std::string& name, const std::vector<uint8_t>& value);
bool HasXattr(const std::string& path, const std::string& name);

// Gives the node own icons of one opaque colour each, as another program may have written
// them; a colour of 0 leaves that icon out.
bool GiveIcons(const std::string& path, uint8_t large, uint8_t mini);

// A whole file's bytes (empty when it cannot be read), and a file made or replaced with them.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);

// Collects what the calling process writes to one of its standard streams while it lives.
template<int kFd>
class OutputCapture {
public:
	OutputCapture()
	{
		fflush(NULL);
		char name[] = "/tmp/vellumark-output-XXXXXX";
		int file = mkstemp(name);
		fFile = name;
		fSaved = dup(kFd);
		dup2(file, kFd);
		close(file);
	}
	~OutputCapture() { Finish(); }

	// Stops capturing and returns the text.
	std::string Finish()
	{
		if (fSaved < 0)
			return std::string();
		fflush(NULL);
		dup2(fSaved, kFd);
		close(fSaved);
		fSaved = -1;
		std::string text = ReadFile(fFile);
		unlink(fFile.c_str());
		return text;
	}

private:
	int fSaved = -1;
	std::string fFile;
};

typedef OutputCapture<1> StdoutCapture;
typedef OutputCapture<2> StderrCapture;

// Waits until pred() holds, asking every poll; false on timeout.
bool WaitUntil(const std::function<bool()>& pred,
	std::chrono::milliseconds timeout = std::chrono::milliseconds(5000),
	std::chrono::milliseconds poll = std::chrono::milliseconds(2));

// Threads of this process, counted from /proc.
int CountThreads();
// Open descriptors of this process.
int CountDescriptors();

// Runs fn in a forked child that first drops root privileges (to nobody), and returns its
// exit status (0..255), or -1 if the child could not run.
int RunUnprivileged(const std::function<int()>& fn);

// Runs the shell command to its end with both its output streams sent to the file outFile;
// its exit status, or -1 when it did not exit.
int RunCommand(const std::string& command, const std::string& outFile);

// Resident memory of this process, in KiB, from /proc.
long ResidentKiB();
// The peak of resident memory since the process started or since the last reset, in KiB;
// -1 when the system keeps none or cannot reset it.
long PeakResidentKiB();
bool ResetPeakResident();

// Appends "name value" as one line to the file named by VELLUMARK_FIGURES, when that is set:
// the reliability report collects what the load and fault tests measured this way.
void RecordFigure(const std::string& name, const std::string& value);
void RecordFigure(const std::string& name, long long value);

// The names in a folder (without "." and ".."), sorted.
std::vector<std::string> FolderNames(const std::string& folder);

enum XListener {
	kXNowhere,
	kXAbstract,
	kXFile,
	kXFullFile,  // its queue full: a connection waits there already
	kXLoopback
};

// An X server of a display number of this machine's: a socket listening where that server
// would (abstract or file socket /tmp/.X11-unix/X<number>, TCP port 6000 + number on the
// loopback), taking connections into its queue. Given a delay, it accepts one and, if its
// request is the setup Xlib sends with the MIT-MAGIC-COOKIE-1 "sixteen-byte-key", answers it
// after the delay with a byte or by closing; otherwise it stays silent until the other end
// gives up.
class FakeXServer {
public:
	FakeXServer(XListener where, int number, int answerAfterMs = -1, bool closes = false);
	~FakeXServer();

	// The first number from the given one that every kind of listener is free to take.
	static int FreeNumber(int from);

private:
	void Serve(int answerAfterMs, bool closes);

	int fListener;
	std::string fFile;
	int fFiller = -1;
	std::thread fThread;
};

}  // namespace testing_support

#define SKIP_WITHOUT_XATTRS(folder) \
	do { \
		if (!testing_support::SupportsUserXattrs(folder)) \
			GTEST_SKIP() << "the file system of " << (folder) \
						 << " stores no user extended attributes"; \
	} while (0)

#endif
