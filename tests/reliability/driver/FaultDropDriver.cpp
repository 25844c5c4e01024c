// Another Vellumark process for the fault tests: runs the real application and main window on
// the headless host, as the program's own main does, and drops one file on one of the two
// boxes a given number of times; then closes the window once everything is handled. What the
// program prints reaches this process's standard output unchanged.
//
//   fault_drop_driver set|clear COUNT PATH

#include <AppDefs.h>
#include <Application.h>
#include <Message.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <atomic>
#include <string>
#include <thread>

#include "CMainApp.h"
#include "app/LaunchArguments.h"
#include "host/headless/HeadlessHost.h"

namespace {

const BPoint kSetBox(140, 35);
const BPoint kClearBox(230, 35);
const int kBurst = 50;
const bigtime_t kWindowTimeout = 20000000;
const bigtime_t kIdleTimeout = 120000000;

struct Order {
	BPoint box;
	long count = 0;
	std::string path;
};

bool ParseOrder(int argc, char** argv, Order* order)
{
	if (argc != 4)
		return false;
	if (strcmp(argv[1], "set") == 0)
		order->box = kSetBox;
	else if (strcmp(argv[1], "clear") == 0)
		order->box = kClearBox;
	else
		return false;
	char* end = NULL;
	order->count = strtol(argv[2], &end, 10);
	order->path = argv[3];
	return end != argv[2] && *end == '\0' && order->count >= 0;
}

// Drops in bursts, so that the window's queue stays short while the drops keep coming.
bool Drop(const Order& order, const BMessage& drag)
{
	platform::HeadlessHost& host = platform::HeadlessHost::Instance();
	platform::host_window_id window = host.WaitForWindow("Vellumark", kWindowTimeout);
	if (window < 0) {
		fprintf(stderr, "fault_drop_driver: the main window did not open\n");
		if (be_app != NULL)
			be_app->PostMessage(B_QUIT_REQUESTED);
		return false;
	}
	bool ok = true;
	for (long i = 0; i < order.count && ok; i++) {
		ok = host.InjectDragMotion(window, order.box, drag) == B_OK
			&& host.InjectDrop(window, order.box, drag) == B_OK;
		if (ok && (i + 1) % kBurst == 0)
			ok = host.WaitForIdle(window, kIdleTimeout);
	}
	ok = ok && host.WaitForIdle(window, kIdleTimeout);
	if (!ok)
		fprintf(stderr, "fault_drop_driver: the window stopped taking drops\n");
	host.InjectClose(window);
	return ok;
}

}  // namespace

int main(int argc, char** argv)
{
	Order order;
	if (!ParseOrder(argc, argv, &order)) {
		fprintf(stderr, "usage: fault_drop_driver set|clear COUNT PATH\n");
		return 2;
	}
	BMessage drag = platform::HeadlessHost::DragMessageFromPaths({order.path});
	if (!drag.HasRef("refs")) {
		fprintf(stderr, "fault_drop_driver: %s makes no entry ref\n", order.path.c_str());
		return 2;
	}
	// The program sees a plain start, not this driver's arguments.
	platform::LaunchArguments::Set({"vellumark"});

	std::atomic<bool> dropped(false);
	std::thread dropper([&] { dropped = Drop(order, drag); });
	CMainApp* app = new CMainApp(kAppSignature);
	app->Run();
	delete app;
	dropper.join();
	fflush(stdout);
	return dropped ? 0 : 1;
}
