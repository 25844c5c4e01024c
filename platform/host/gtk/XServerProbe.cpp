#include "host/gtk/XServerProbe.h"

#include <errno.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <stddef.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <X11/X.h>
#include <X11/Xauth.h>

#include <algorithm>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

const char kCookieName[] = "MIT-MAGIC-COOKIE-1";
const char kUnixSocketBase[] = "/tmp/.X11-unix/X";
const int kTcpPortBase = 6000;

enum class Outcome {
	kNoServer,  // nothing took the connection
	kConnected,
	kSilent,
	kAnswers
};

// What a DISPLAY value names, read as Xlib reads it: [protocol/][host]:number[.screen].
struct Address {
	std::string protocol;
	std::string host;
	int number = 0;
};

bool ReadName(const std::string& display, Address* address)
{
	std::string rest = display;
	size_t slash = rest.rfind('/');
	if (slash != std::string::npos) {
		address->protocol = rest.substr(0, slash);
		rest.erase(0, slash + 1);
	}
	size_t colon = rest.rfind(':');
	if (colon == std::string::npos)
		return false;
	address->host = rest.substr(0, colon);
	if (!address->host.empty() && address->host.back() == ':')
		return false;  // DECnet, which Xlib does not speak either
	if (address->host.size() > 2 && address->host.front() == '[' && address->host.back() == ']')
		address->host = address->host.substr(1, address->host.size() - 2);

	const char* digits = rest.c_str() + colon + 1;
	char* end = NULL;
	address->number = (int)strtoul(digits, &end, 10);
	if (end == digits)
		return false;
	if (*end == '.') {
		const char* screen = end + 1;
		strtoul(screen, &end, 10);
		if (end == screen)
			return false;
	}
	return *end == '\0';
}

// The cookie Xlib would send on this connection, found by the peer's address as Xlib finds
// it (a local or loopback peer by this machine's name); NULL when there is none.
Xauth* FindCookie(int fd, int number)
{
	sockaddr_storage peer = {};
	socklen_t size = sizeof(peer);
	if (getpeername(fd, (sockaddr*)&peer, &size) != 0)
		return NULL;
	unsigned short family = FamilyLocal;
	const char* address = NULL;
	size_t addressLength = 0;
	if (peer.ss_family == AF_INET6) {
		const in6_addr* six = &((const sockaddr_in6*)&peer)->sin6_addr;
		if (IN6_IS_ADDR_V4MAPPED(six)) {
			address = (const char*)six->s6_addr + 12;
			addressLength = 4;
			in_addr_t four;
			memcpy(&four, address, sizeof(four));
			if (four != htonl(INADDR_LOOPBACK))
				family = FamilyInternet;
		} else if (!IN6_IS_ADDR_LOOPBACK(six)) {
			address = (const char*)six->s6_addr;
			addressLength = sizeof(six->s6_addr);
			family = FamilyInternet6;
		}
	} else if (peer.ss_family == AF_INET) {
		const in_addr* four = &((const sockaddr_in*)&peer)->sin_addr;
		if (four->s_addr != htonl(INADDR_LOOPBACK)) {
			address = (const char*)four;
			addressLength = sizeof(*four);
			family = FamilyInternet;
		}
	} else if (peer.ss_family != AF_UNIX) {
		return NULL;
	}
	char hostName[256] = {};
	if (family == FamilyLocal) {
		if (gethostname(hostName, sizeof(hostName) - 1) != 0)
			return NULL;
		address = hostName;
		addressLength = strlen(hostName);
	}
	std::string display = std::to_string(number);
	char* names[] = {const_cast<char*>(kCookieName)};
	int nameLengths[] = {(int)strlen(kCookieName)};
	return XauGetBestAuthByAddr(
		family, addressLength, address, display.size(), display.c_str(), 1, names, nameLengths);
}

void Append16(std::string* bytes, size_t value)
{
	bytes->push_back((char)(value >> 8));
	bytes->push_back((char)value);
}

void AppendPadded(std::string* bytes, const std::string& field)
{
	*bytes += field;
	bytes->append((4 - field.size() % 4) % 4, '\0');
}

// The connection setup, most significant byte first, for protocol 11.0.
std::string SetupRequest(int fd, int number)
{
	std::string name;
	std::string data;
	if (Xauth* cookie = FindCookie(fd, number)) {
		name.assign(cookie->name, cookie->name_length);
		data.assign(cookie->data, cookie->data_length);
		XauDisposeAuth(cookie);
	}
	std::string request = "B";
	request.push_back('\0');
	Append16(&request, 11);
	Append16(&request, 0);
	Append16(&request, name.size());
	Append16(&request, data.size());
	Append16(&request, 0);
	AppendPadded(&request, name);
	AppendPadded(&request, data);
	return request;
}

// A blocking connect waits for a unix listener's full queue and for a TCP peer's handshake;
// the send timeout bounds both (at least a millisecond: zero would mean no bound).
Outcome Connect(
	int fd, const sockaddr* address, socklen_t length, Clock::time_point deadline, int* error)
{
	auto left = std::max(std::chrono::ceil<std::chrono::microseconds>(deadline - Clock::now()),
		std::chrono::microseconds(1000));
	timeval limit = {(time_t)(left.count() / 1000000), (suseconds_t)(left.count() % 1000000)};
	if (setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof(limit)) != 0) {
		*error = errno;
		return Outcome::kNoServer;
	}
	if (connect(fd, address, length) == 0)
		return Outcome::kConnected;
	*error = errno;
	return *error == EAGAIN || *error == EINPROGRESS ? Outcome::kSilent : Outcome::kNoServer;
}

Outcome AskForSetup(int fd, int number, Clock::time_point deadline)
{
	std::string request = SetupRequest(fd, number);
	// A connection closed before the request is in is an answer too.
	if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) != (ssize_t)request.size())
		return Outcome::kAnswers;
	for (;;) {
		auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
		pollfd reply = {fd, POLLIN, 0};
		int ready = poll(&reply, 1, (int)std::max<std::chrono::milliseconds::rep>(left.count(), 0));
		if (ready == 0)
			return Outcome::kSilent;
		if (ready > 0 || errno != EINTR)
			return Outcome::kAnswers;
	}
}

Outcome Probe(int family, int protocol, const sockaddr* address, socklen_t length, int number,
	Clock::time_point deadline, int* error)
{
	int fd = socket(family, SOCK_STREAM | SOCK_CLOEXEC, protocol);
	if (fd < 0) {
		*error = errno;
		return Outcome::kNoServer;
	}
	Outcome outcome = Connect(fd, address, length, deadline, error);
	if (outcome == Outcome::kConnected)
		outcome = AskForSetup(fd, number, deadline);
	close(fd);
	return outcome;
}

Outcome ProbeUnix(int number, bool abstract, Clock::time_point deadline, int* error)
{
	// At most 27 characters, well within sun_path. An abstract name starts with a zero byte and
	// counts no terminator: either way the name takes one byte more than the path.
	std::string path = kUnixSocketBase + std::to_string(number);
	sockaddr_un address = {};
	address.sun_family = AF_UNIX;
	memcpy(address.sun_path + (abstract ? 1 : 0), path.data(), path.size());
	socklen_t length = offsetof(sockaddr_un, sun_path) + path.size() + 1;
	return Probe(AF_UNIX, 0, (const sockaddr*)&address, length, number, deadline, error);
}

Outcome ProbeTcp(const Address& address, Clock::time_point deadline)
{
	addrinfo hints = {};
	if (address.protocol == "inet")
		hints.ai_family = AF_INET;
	else if (address.protocol == "inet6")
		hints.ai_family = AF_INET6;
	else if (!address.protocol.empty() && address.protocol != "tcp")
		return Outcome::kNoServer;
	hints.ai_socktype = SOCK_STREAM;
	hints.ai_flags = AI_ADDRCONFIG;
	// The port as Xlib counts it, in 16 bits.
	std::string port = std::to_string((unsigned short)(kTcpPortBase + address.number));
	std::string host = address.host.empty() ? "localhost" : address.host;
	addrinfo* found = NULL;
	if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0)
		return Outcome::kNoServer;
	Outcome outcome = Outcome::kNoServer;
	int error = 0;
	for (addrinfo* each = found; each != NULL && outcome == Outcome::kNoServer;
		 each = each->ai_next) {
		outcome = Probe(each->ai_family, each->ai_protocol, each->ai_addr, each->ai_addrlen,
			address.number, deadline, &error);
	}
	freeaddrinfo(found);
	return outcome;
}

}  // namespace

bool XServerStaysSilent(const std::string& display, std::chrono::milliseconds timeout)
{
	Clock::time_point deadline = Clock::now() + timeout;
	Address address;
	if (!ReadName(display, &address))
		return false;
	bool unixOnly =
		address.protocol == "unix" || (address.protocol.empty() && address.host == "unix");
	if (unixOnly || (address.protocol.empty() && address.host.empty())) {
		int error = 0;
		Outcome outcome = ProbeUnix(address.number, true, deadline, &error);
		if (outcome == Outcome::kNoServer) {
			// Xlib goes on to the file only where no abstract socket is there to take it.
			if (error != ENOENT && error != ECONNREFUSED)
				return false;
			outcome = ProbeUnix(address.number, false, deadline, &error);
		}
		if (outcome != Outcome::kNoServer || unixOnly)
			return outcome == Outcome::kSilent;
	}
	return ProbeTcp(address, deadline) == Outcome::kSilent;
}

}  // namespace platform
