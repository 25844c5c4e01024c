#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include "TestSupport.h"
#include "host/gtk/XServerProbe.h"

using namespace testing_support;

// Silent only where a server takes the connection and has not answered when the timeout ends;
// everything else is left to Xlib. The timeout's rows answer well before and well after it:
// a row at it would be a race.
TEST(XServerProbe, SilentOnlyWhereAServerTakesTheConnectionAndDoesNotAnswerInTime)
{
	const std::chrono::milliseconds kTimeout(400);
	int number = FakeXServer::FreeNumber(5000);
	// The authority file Xlib reads, with the cookie (in hex) for this machine's display.
	char authority[] = "/tmp/vellumark-xauth-XXXXXX";
	close(mkstemp(authority));
	ASSERT_EQ(RunCommand("xauth -f " + std::string(authority) + " add :" + std::to_string(number)
					  + " . 7369787465656e2d627974652d6b6579",
				  "/dev/null"),
		0);
	setenv("XAUTHORITY", authority, 1);
	static const struct {
		const char* display;  // %d: the number
		XListener where;
		int answerAfterMs;  // -1: never
		bool closes;  // answers by closing the connection
		bool silent;
	} kRows[] = {
		{":%d", kXAbstract, -1, false, true},  // tried first
		{"unix:%d.0", kXFile, -1, false, true},
		{":%d", kXLoopback, -1, false, true},  // no unix socket takes it: TCP
		{"localhost:%d", kXLoopback, -1, false, true},
		{"unix:%d", kXLoopback, -1, false, false},  // a unix socket only
		{":%d", kXFile, 0, true, false},
		{"tcp/localhost:%d", kXLoopback, 0, false, false},
		{":%d", kXFile, 100, false, false},
		{":%d", kXFile, 800, false, true},
		{":%d", kXFullFile, -1, false, true},
		{":%d", kXNowhere, -1, false, false},
		{"host::%d", kXFile, -1, false, false},  // DECnet
		{"other/:%d", kXFile, -1, false, false},
		{"%d", kXFile, -1, false, false},
	};
	for (const auto& row : kRows) {
		char display[64];
		snprintf(display, sizeof(display), row.display, number);
		FakeXServer server(row.where, number, row.answerAfterMs, row.closes);
		auto start = std::chrono::steady_clock::now();
		EXPECT_EQ(platform::XServerStaysSilent(display, kTimeout), row.silent)
			<< display << " where " << row.where << ", answering after " << row.answerAfterMs;
		EXPECT_LT(std::chrono::steady_clock::now() - start, kTimeout * 3 / 2) << display;
	}
	unsetenv("XAUTHORITY");
	unlink(authority);
}
