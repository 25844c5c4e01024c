#include <gtest/gtest.h>

#include <glib.h>

#include <thread>
#include <vector>

#include "host/gtk/MainContextCalls.h"

using platform::MainContextCalls;

// As the display thread shuts down: the last call queues one more (as a window may while
// the host stops) and ends the loop. That call still runs, and the wake-up it made is not
// left on the default context, pointing at calls that are gone.
TEST(MainContextCalls, CloseRunsWhatIsQueuedAndLeavesNoWakeUpOnTheContext)
{
	MainContextCalls calls;
	GMainLoop* loop = g_main_loop_new(NULL, FALSE);
	std::vector<int> ran;
	calls.Open();
	ASSERT_TRUE(calls.Post([&] {
		ran.push_back(1);
		calls.Post([&] { ran.push_back(2); });
		calls.StopAccepting();
		g_main_loop_quit(loop);
	}));
	std::thread thread([&] {
		g_main_loop_run(loop);
		calls.Close();
	});
	thread.join();
	g_main_loop_unref(loop);

	EXPECT_EQ(ran, (std::vector<int>{1, 2}));
	EXPECT_FALSE(calls.Post([] {}));
	EXPECT_EQ(g_main_context_find_source_by_user_data(NULL, &calls), nullptr);
}
