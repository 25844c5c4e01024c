// Another Vellumark process for the fault tests: runs the real application and main window on
// the headless host, as the program's own main does, and drops one file on one of the two
// boxes a given number of times; then closes the window once everything is handled. What the
// program prints reaches this process's standard output unchanged.
//
//   fault_drop_driver set|clear COUNT PATH
#include <Application.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <thread>

#include "CMainApp.h"
#include "TestWindow.h"
#include "app/LaunchArguments.h"

int main(int argc, char** argv)
{
	char* end = NULL;
	long count = argc == 4 ? strtol(argv[2], &end, 10) : -1;
	BMessage drag = count >= 0 ? testing_support::DragFromPaths({argv[3]}) : BMessage();
	bool set = count >= 0 && strcmp(argv[1], "set") == 0;
	if (count < 0 || *end != '\0' || (!set && strcmp(argv[1], "clear") != 0)
		|| !drag.HasRef("refs")) {
		fprintf(stderr, "usage: fault_drop_driver set|clear COUNT PATH (a path that exists)\n");
		return 2;
	}
	// The program sees a plain start, not this driver's arguments.
	platform::LaunchArguments::Set({"vellumark"});
	bool dropped = false;
	std::thread dropper([&] {
		testing_support::TestWindow window("Vellumark", 20000000);
		BPoint box = set ? BPoint(140, 35) : BPoint(230, 35);
		// In bursts, so that the window's queue stays short while the drops keep coming.
		dropped = window.IsOpen();
		for (long i = 0; i < count && dropped; i++) {
			dropped = window.DragMotion(box, drag) == B_OK && window.Drop(box, drag) == B_OK
				&& ((i + 1) % 50 != 0 || window.WaitForIdle(120000000));
		}
		dropped = dropped && window.WaitForIdle(120000000);
		if (!dropped)
			fprintf(stderr, "fault_drop_driver: the window did not open or take the drops\n");
		if (window.Window() == NULL && be_app != NULL)
			be_app->PostMessage(B_QUIT_REQUESTED);
		window.Close();
	});
	CMainApp app(kAppSignature);
	app.Run();
	dropper.join();
	return dropped ? 0 : 1;
}
