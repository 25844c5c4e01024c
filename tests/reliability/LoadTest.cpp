// Long runs through the real main window on the headless host: a row of drops over a few
// hundred real folders, and a stream of pointer events while drops are processed. What every
// folder holds afterwards is what the engine's own compositions predict, drop by drop.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "AppRunner.h"
#include "FaultSupport.h"
#include "LoadScenario.h"
#include "TestSupport.h"

using app_test::AppRunner;
using load_test::LoadScenario;
using platform::host_window_id;
using testing_support::CountDescriptors;
using testing_support::CountThreads;
using testing_support::RecordFigure;
using testing_support::ResidentKiB;
using testing_support::TempDir;
using testing_support::WaitUntil;

namespace {

// Sanitizers keep freed memory in quarantine and shadow it: resident size says nothing there.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
const bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
const bool kSanitized = true;
#else
const bool kSanitized = false;
#endif
#else
const bool kSanitized = false;
#endif

const int kUnits = 151;  // 302 folders
const long kMaxGrowthKiB = 1024;
const bigtime_t kBatchTimeout = 30000000;
const BPoint kBackground(95, 35);

double SecondsSince(std::chrono::steady_clock::time_point start)
{
	return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Queues count drops of the row at once; then waits until the window has handled them and
// tells which folders are not as predicted.
std::string PushDrops(
	platform::HeadlessHost& host, host_window_id window, LoadScenario* scenario, int count)
{
	for (int i = 0; i < count; i++) {
		LoadScenario::Drop drop = scenario->Next();
		if (host.InjectDrop(window, drop.where, *drop.drag) != B_OK)
			return "the window refused a drop; ";
	}
	if (!host.WaitForIdle(window, kBatchTimeout))
		return "the window did not get through the drops; ";
	return scenario->Mismatches();
}

// Event number i of a repeating gesture of sixteen: moves over all four controls and
// between them, then a press on one of them (each in turn) that is dragged out, within the
// window or beyond it, and released there, so that no button fires.
void PointerEvent(platform::HeadlessHost& host, host_window_id window, int i)
{
	static const BPoint kControls[] = {
		BPoint(50, 20), BPoint(50, 50), BPoint(140, 35), BPoint(230, 35)};
	static const BPoint kMoves[] = {BPoint(50, 20), BPoint(11, 11), BPoint(95, 25), BPoint(50, 50),
		BPoint(89, 59), BPoint(140, 35), BPoint(101, 11), BPoint(230, 35), BPoint(269, 59),
		BPoint(185, 35)};
	int gesture = i / 16;
	BPoint pressed = kControls[gesture % 4];
	BPoint out = gesture % 8 < 4 ? BPoint(95, 5) : BPoint(300, 90);
	int step = i % 16;
	if (step < 10)
		host.InjectMouseMove(window, kMoves[step]);
	else if (step == 10)
		host.InjectMouseMove(window, pressed);
	else if (step == 11)
		host.InjectMouseDown(window, pressed);
	else if (step == 12)
		host.InjectMouseMove(window, pressed + BPoint(3, 2));
	else if (step == 13)
		host.InjectMouseMove(window, out);
	else if (step == 14)
		host.InjectMouseUp(window, out);
	else
		host.InjectMouseMove(window, BPoint(95, 65));
}

}  // namespace

TEST(LoadDrops, EachDropOfALongRowIsProcessedOnceInOrderAndNothingGrowsOrStays)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	const int drops = fault_test::CountFromEnvironment("VELLUMARK_LOAD_DROPS", 10000);
	LoadScenario scenario(dir.Path(), kUnits);
	ASSERT_FALSE(HasFailure());
	// A batch reaches every unit twice, once with a Set and once with a Clear.
	const int batch = 2 * kUnits;

	const int threadsBefore = CountThreads();
	const int fdsBefore = CountDescriptors();
	long warmKiB = -1, endKiB = -1;
	int repaints = 0, done = 0;
	std::string wrong, printed;
	auto start = std::chrono::steady_clock::now();
	{
		testing_support::StdoutCapture capture;
		AppRunner app;
		host_window_id window = app.MainWindow();
		ASSERT_GE(window, 0);
		ASSERT_TRUE(app.Host().WaitForIdle(window));
		int32 presentsBefore = app.Host().PresentCount(window);
		while (done < drops && wrong.empty()) {
			int count = std::min(batch, drops - done);
			wrong = PushDrops(app.Host(), window, &scenario, count);
			done += count;
			if (!wrong.empty())
				wrong = "after " + std::to_string(done) + " drops: " + wrong;
			if (warmKiB < 0 && done >= drops / 10)
				warmKiB = ResidentKiB();
		}
		// Each drop repaints its box once, at once: one present a drop, no more, no less.
		repaints = app.Host().PresentCount(window) - presentsBefore;
		endKiB = ResidentKiB();
		app.Host().InjectClose(window);
		EXPECT_TRUE(app.Finished());
		printed = capture.Finish();
	}
	double seconds = SecondsSince(start);
	WaitUntil([&] { return CountThreads() <= threadsBefore; });
	WaitUntil([&] { return CountDescriptors() <= fdsBefore; });
	int threadsLeft = CountThreads() - threadsBefore;
	int fdsLeft = CountDescriptors() - fdsBefore;

	EXPECT_EQ(wrong, "");
	EXPECT_EQ(scenario.Unobservable(), 0) << "drops that could not show they were processed";
	EXPECT_EQ(repaints, done) << "drops handled more or less than once";
	EXPECT_EQ(printed, "") << "a drop failed";
	if (!kSanitized) {
		EXPECT_LT(endKiB - warmKiB, kMaxGrowthKiB) << "from " << warmKiB << " KiB";
	}
	EXPECT_LE(threadsLeft, 0);
	EXPECT_LE(fdsLeft, 0);

	RecordFigure("load.drops", done);
	RecordFigure("load.folders", scenario.Folders());
	RecordFigure("load.set_drops", scenario.SetDrops());
	RecordFigure("load.clear_drops", scenario.ClearDrops());
	RecordFigure("load.rss_warm_kib", warmKiB);
	RecordFigure("load.rss_end_kib", endKiB);
	RecordFigure("load.rss_growth_kib", endKiB - warmKiB);
	RecordFigure("load.threads_left", threadsLeft);
	RecordFigure("load.fds_left", fdsLeft);
	RecordFigure("load.seconds", (long long)(seconds + 0.5));
	RecordFigure("load.drops_per_second", (long long)(done / std::max(seconds, 0.001)));
}

TEST(LoadPointer, DropsAllLandAndTheControlsRecoverUnderTwoHundredPointerEventsASecond)
{
	TempDir dir;
	SKIP_WITHOUT_XATTRS(dir.Path());
	const int seconds = fault_test::CountFromEnvironment("VELLUMARK_LOAD_POINTER_SECONDS", 10);
	LoadScenario scenario(dir.Path(), kUnits);
	ASSERT_FALSE(HasFailure());

	AppRunner app;
	platform::HeadlessHost& host = app.Host();
	host_window_id window = app.MainWindow();
	ASSERT_GE(window, 0);
	ASSERT_TRUE(host.WaitForIdle(window));
	std::vector<uint32> idle = host.WindowPixels(window);

	// Its own thread, on a fixed clock: one event every 5 ms.
	std::atomic<bool> streaming(true);
	int events = 0;
	auto start = std::chrono::steady_clock::now();
	std::thread pointer([&] {
		for (; events < seconds * 200; events++) {
			std::this_thread::sleep_until(start + std::chrono::milliseconds(5 * events));
			PointerEvent(host, window, events);
		}
		streaming = false;
	});
	int drops = 0;
	std::string wrong;
	while (streaming && wrong.empty()) {
		wrong = PushDrops(host, window, &scenario, 10);
		drops += 10;
	}
	pointer.join();
	double elapsed = SecondsSince(start);

	host.InjectMouseMove(window, kBackground);
	EXPECT_TRUE(host.WaitForIdle(window)) << "the window stopped answering";
	EXPECT_EQ(wrong, "");
	EXPECT_EQ(scenario.Mismatches(), "");
	EXPECT_EQ(scenario.Unobservable(), 0);
	EXPECT_TRUE(host.WindowPixels(window) == idle) << "a control did not return to its look";
	EXPECT_EQ(host.Windows().size(), 1u) << "a button fired: an alert opened";
	EXPECT_FALSE(app.Finished(0)) << "a button fired: the application quit";

	RecordFigure("load.pointer_events", events);
	RecordFigure("load.pointer_seconds", (long long)(elapsed + 0.5));
	RecordFigure("load.pointer_drops", drops);
}
