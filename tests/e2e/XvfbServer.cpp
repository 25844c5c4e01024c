#include "XvfbServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace e2e {

namespace {

const int kDisplayFd = 3;
const int kStartTimeoutMs = 10000;

}  // namespace

XvfbServer::XvfbServer() :
	fPid(-1)
{
}

XvfbServer::~XvfbServer()
{
	Kill();
}

bool XvfbServer::Start()
{
	int pipeFds[2];
	if (pipe(pipeFds) != 0)
		return false;
	fPid = fork();
	if (fPid < 0)
		return false;
	if (fPid == 0) {
		// Xvfb writes the display number it chose to this descriptor once it is ready.
		dup2(pipeFds[1], kDisplayFd);
		int devNull = open("/dev/null", O_RDWR);
		dup2(devNull, 0);
		dup2(devNull, 1);
		dup2(devNull, 2);
		for (int fd = kDisplayFd + 1; fd < 1024; fd++)
			close(fd);
		execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp",
			"-noreset", (char*)NULL);
		_exit(127);
	}
	close(pipeFds[1]);

	std::string number;
	struct pollfd ready = {pipeFds[0], POLLIN, 0};
	while (number.empty() || number.back() != '\n') {
		if (poll(&ready, 1, kStartTimeoutMs) <= 0)
			break;
		char c;
		if (read(pipeFds[0], &c, 1) != 1)
			break;
		number += c;
	}
	close(pipeFds[0]);
	if (number.empty() || number.back() != '\n') {
		Kill();
		return false;
	}
	number.pop_back();
	fName = ":" + number;
	return true;
}

void XvfbServer::Kill()
{
	if (fPid <= 0)
		return;
	kill(fPid, SIGKILL);
	waitpid(fPid, NULL, 0);
	fPid = -1;
}

}  // namespace e2e
