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

#include <thread>

#include "CMainApp.h"
#include "app/LaunchArguments.h"
#include "host/headless/HeadlessHost.h"

int main(int argc, char** argv)
{
	char* end = NULL;
	long count = argc == 4 ? strtol(argv[2], &end, 10) : -1;
	bool set = argc == 4 && strcmp(argv[1], "set") == 0;
	if (count < 0 || end == argv[2] || *end != '\0' || (!set && strcmp(argv[1], "clear") != 0)) {
		fprintf(stderr, "usage: fault_drop_driver set|clear COUNT PATH\n");
		return 2;
	}
	BMessage drag = platform::HeadlessHost::DragMessageFromPaths({argv[3]});
	if (!drag.HasRef("refs")) {
		fprintf(stderr, "fault_drop_driver: %s makes no entry ref\n", argv[3]);
		return 2;
	}
	// The program sees a plain start, not this driver's arguments.
	platform::LaunchArguments::Set({"vellumark"});

	bool dropped = false;
	std::thread dropper([&] {
		platform::HeadlessHost& host = platform::HeadlessHost::Instance();
		platform::host_window_id window = host.WaitForWindow("Vellumark", 20000000);
		if (window < 0) {
			fprintf(stderr, "fault_drop_driver: the main window did not open\n");
			if (be_app != NULL)
				be_app->PostMessage(B_QUIT_REQUESTED);
			return;
		}
		// In bursts, so that the window's queue stays short while the drops keep coming.
		BPoint box = set ? BPoint(140, 35) : BPoint(230, 35);
		bool ok = true;
		for (long i = 0; i < count && ok; i++)
			ok = host.InjectDragMotion(window, box, drag) == B_OK
				&& host.InjectDrop(window, box, drag) == B_OK
				&& ((i + 1) % 50 != 0 || host.WaitForIdle(window, 120000000));
		dropped = ok && host.WaitForIdle(window, 120000000);
		if (!dropped)
			fprintf(stderr, "fault_drop_driver: the window stopped taking drops\n");
		host.InjectClose(window);
	});
	CMainApp* app = new CMainApp(kAppSignature);
	app->Run();
	delete app;
	dropper.join();
	fflush(stdout);
	return dropped ? 0 : 1;
}
