#ifndef E2E_XVFB_SERVER_H
#define E2E_XVFB_SERVER_H

#include <sys/types.h>

#include <string>

namespace e2e {

// A virtual X server of its own for one test, on a display number that the server picks
// itself (so parallel tests never meet), killed on destruction.
class XvfbServer {
public:
	XvfbServer();
	~XvfbServer();

	// Starts Xvfb with a 1024 x 768 x 24 screen and waits until it accepts clients.
	bool Start();
	// Ends the server at once, as a crash would.
	void Kill();

	const std::string& Name() const { return fName; }  // ":N"

private:
	XvfbServer(const XvfbServer&) = delete;
	XvfbServer& operator=(const XvfbServer&) = delete;

	pid_t fPid;
	std::string fName;
};

}  // namespace e2e

#endif
