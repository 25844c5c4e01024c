#ifndef PLATFORM_X_SERVER_PROBE_H
#define PLATFORM_X_SERVER_PROBE_H

#include <chrono>
#include <string>

namespace platform {

// Whether the X server that a DISPLAY value names takes a connection and then sends nothing
// back within the timeout, where Xlib would wait for it for ever. It connects where Xlib does
// (for ":N" and "unix:N" the abstract and then the file socket /tmp/.X11-unix/XN; TCP port
// 6000 + N for "host:N", and for ":N" where no unix socket takes it), sends the connection
// setup with the cookie Xlib would send, and waits for the first byte of the reply: success,
// failure, a demand for authentication and a closed connection all answer. A name it does not
// read and a display where nothing takes the connection are left to Xlib (false). Bounded by
// the timeout from the call, name lookup aside; leaves no descriptor open.
bool XServerStaysSilent(const std::string& display, std::chrono::milliseconds timeout);

}  // namespace platform

#endif
