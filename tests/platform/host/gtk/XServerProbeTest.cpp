#include <gtest/gtest.h>

#include <X11/X.h>
#include <X11/Xauth.h>
#include <netinet/in.h>
#include <poll.h>
#include <stddef.h>
#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "host/gtk/XServerProbe.h"

namespace {

const std::chrono::milliseconds kTimeout(400);
const std::string kCookie = "sixteen-byte-key";

enum Where {
	kNowhere,
	kAbstract,
	kFile,
	kFullFile,  // its queue full: a connection waits there already
	kLoopback
};

std::string FilePath(int number)
{
	return "/tmp/.X11-unix/X" + std::to_string(number);
}

// A socket listening where the X server of a display number would; -1 where none can.
int Listen(Where where, int number)
{
	if (where == kNowhere)
		return -1;
	sockaddr_storage address = {};
	socklen_t length = sizeof(sockaddr_in);
	if (where == kLoopback) {
		sockaddr_in* inet = (sockaddr_in*)&address;
		inet->sin_family = AF_INET;
		inet->sin_port = htons(6000 + number);
		inet->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
	} else {
		sockaddr_un* local = (sockaddr_un*)&address;
		local->sun_family = AF_UNIX;
		std::string path = FilePath(number);
		memcpy(local->sun_path + (where == kAbstract ? 1 : 0), path.data(), path.size());
		length = offsetof(sockaddr_un, sun_path) + path.size() + 1;
	}
	int fd = socket(address.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
	int on = 1;
	setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
	if (bind(fd, (sockaddr*)&address, length) != 0 || listen(fd, where == kFullFile ? 0 : 8) != 0) {
		close(fd);
		fd = -1;
	}
	return fd;
}

// An X server that takes connections into its queue. Given a delay, it accepts one and, if its
// request is the setup Xlib sends with the cookie, answers it after the delay with a byte or
// by closing; otherwise it stays silent until the other end gives up.
class FakeServer {
public:
	FakeServer(Where where, int number, int answerAfterMs, bool closes) :
		fListener(Listen(where, number)),
		fFile(where == kFile || where == kFullFile ? FilePath(number) : "")
	{
		if (where == kFullFile) {
			sockaddr_un address = {};
			address.sun_family = AF_UNIX;
			fFile.copy(address.sun_path, sizeof(address.sun_path) - 1);
			fFiller = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
			connect(fFiller, (sockaddr*)&address, sizeof(address));
		}
		if (fListener >= 0 && answerAfterMs >= 0)
			fThread = std::thread([this, answerAfterMs, closes] { Serve(answerAfterMs, closes); });
	}
	~FakeServer()
	{
		if (fThread.joinable())
			fThread.join();
		close(fFiller);
		if (fListener >= 0 && !fFile.empty())
			unlink(fFile.c_str());
		close(fListener);
	}

private:
	void Serve(int answerAfterMs, bool closes)
	{
		static const std::string kExpected = std::string("B\0\0\13\0\0\0\22\0\20\0\0", 12)
			+ "MIT-MAGIC-COOKIE-1" + std::string(2, '\0') + kCookie;
		pollfd ready = {fListener, POLLIN, 0};
		int fd = poll(&ready, 1, 2000) == 1 ? accept(fListener, NULL, NULL) : -1;
		if (fd < 0)
			return;
		std::string request(kExpected.size(), '\0');
		size_t got = 0;
		for (pollfd in = {fd, POLLIN, 0}; got < request.size() && poll(&in, 1, 2000) == 1;) {
			ssize_t more = read(fd, &request[got], request.size() - got);
			if (more <= 0)
				break;
			got += more;
		}
		if (request == kExpected) {
			std::this_thread::sleep_for(std::chrono::milliseconds(answerAfterMs));
			if (!closes)
				send(fd, "\1", 1, MSG_NOSIGNAL);
		} else {
			pollfd end = {fd, POLLIN, 0};
			poll(&end, 1, 2000);
		}
		close(fd);
	}

	int fListener;
	std::string fFile;
	int fFiller = -1;
	std::thread fThread;
};

// The authority file Xlib reads, with a cookie for this machine's display of the number.
void WriteAuthority(const char* path, int number)
{
	char host[256] = {};
	gethostname(host, sizeof(host) - 1);
	std::string display = std::to_string(number);
	Xauth entry = {};
	entry.family = FamilyLocal;
	entry.address = host;
	entry.address_length = strlen(host);
	entry.number = display.data();
	entry.number_length = display.size();
	entry.name = const_cast<char*>("MIT-MAGIC-COOKIE-1");
	entry.name_length = strlen(entry.name);
	entry.data = const_cast<char*>(kCookie.data());
	entry.data_length = kCookie.size();
	FILE* file = fopen(path, "wb");
	XauWriteAuth(file, &entry);
	fclose(file);
}

}  // namespace

// Silent only where a server takes the connection and has not answered when the timeout ends;
// everything else is left to Xlib. The timeout's rows answer well before and well after it:
// a row at it would be a race.
TEST(XServerProbe, SilentOnlyWhereAServerTakesTheConnectionAndDoesNotAnswerInTime)
{
	mkdir("/tmp/.X11-unix", 01777);
	int number = 5000;  // one that every kind of listener is free to take
	for (;; number++) {
		int abstract = Listen(kAbstract, number);
		int loopback = Listen(kLoopback, number);
		close(abstract);
		close(loopback);
		if (abstract >= 0 && loopback >= 0 && access(FilePath(number).c_str(), F_OK) != 0)
			break;
	}
	char authority[] = "/tmp/vellumark-xauth-XXXXXX";
	close(mkstemp(authority));
	WriteAuthority(authority, number);
	setenv("XAUTHORITY", authority, 1);
	static const struct {
		const char* display;  // %d: the number
		Where where;
		int answerAfterMs;  // -1: never
		bool closes;  // answers by closing the connection
		bool silent;
	} kRows[] = {
		{":%d", kAbstract, -1, false, true},  // tried first
		{":%d", kFile, -1, false, true},
		{"unix:%d.0", kFile, -1, false, true},
		{":%d", kLoopback, -1, false, true},  // no unix socket takes it: TCP
		{"localhost:%d", kLoopback, -1, false, true},
		{"unix:%d", kLoopback, -1, false, false},  // a unix socket only
		{":%d", kAbstract, 0, false, false},
		{":%d", kFile, 0, true, false},
		{"tcp/localhost:%d", kLoopback, 0, false, false},
		{":%d", kFile, 100, false, false},
		{":%d", kFile, 800, false, true},
		{":%d", kFullFile, -1, false, true},
		{":%d", kNowhere, -1, false, false},
		{"host::%d", kFile, -1, false, false},  // DECnet
		{"other/:%d", kFile, -1, false, false},
		{"%d", kFile, -1, false, false},
	};
	for (const auto& row : kRows) {
		char display[64];
		snprintf(display, sizeof(display), row.display, number);
		FakeServer server(row.where, number, row.answerAfterMs, row.closes);
		auto start = std::chrono::steady_clock::now();
		EXPECT_EQ(platform::XServerStaysSilent(display, kTimeout), row.silent)
			<< display << " where " << row.where << ", answering after " << row.answerAfterMs;
		EXPECT_LT(std::chrono::steady_clock::now() - start, kTimeout * 3 / 2) << display;
	}
	unsetenv("XAUTHORITY");
	unlink(authority);
}
