// Long runs through the real main window on the headless host: a row of drops over a few
// hundred real folders, and a stream of pointer events while drops are processed. What every
// folder holds after each batch of drops is what the engine's own compositions predict.
//
// Units of a folder F, holding a file and a folder G, which holds a file with an own mini icon
// of the unit's colour. A batch gives every unit a Set icon and then, once all units had
// theirs, a Clear icon, by turns:
// - even batches: G's file on Set icon (G, cleared before, gets its type icon with the file
//   drawn in), and F or F's file on Clear icon;
// - odd batches: G on Set icon (F, cleared before, gets its type icon with G's own mini icon
//   drawn in), and G or G's file on Clear icon.
// Each drop changes its folder from what the last check found, so a lost drop shows; a Clear
// of G handled before the Set of G onto F draws G's type icon into F instead, so that shows
// too; and each drop repaints its box once, so the presents count drops handled twice.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "FaultSupport.h"

using namespace fault_test;
using platform::host_window_id;
using Clock = std::chrono::steady_clock;

namespace {

// Sanitizers keep freed memory in quarantine and shadow it: resident size says nothing there.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define LOAD_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define LOAD_SANITIZED 1
#endif
#endif

const int kUnits = 125;  // 250 folders, 250 drops a batch
const int kBatches = 40;
const bigtime_t kBatchTimeout = 30000000;

struct Unit {
	std::string path[2];  // F, G
	BMessage drags[4];  // F, F's file, G, G's file
	Bytes after[2][4];  // after an even and an odd batch: F's large and mini icon, G's
};

double SecondsSince(Clock::time_point start)
{
	return std::chrono::duration<double>(Clock::now() - start).count();
}

// Event i of a repeating gesture of sixteen: moves over all four controls and between them,
// then a press on one of them (each in turn) that is dragged out, within the window or beyond
// it, and released there, so that no button fires.
void PointerEvent(platform::HeadlessHost& host, host_window_id window, int i)
{
	static const BPoint kControls[] = {
		BPoint(50, 20), BPoint(50, 50), BPoint(140, 35), BPoint(230, 35)};
	static const BPoint kMoves[] = {BPoint(50, 20), BPoint(11, 11), BPoint(95, 25), BPoint(50, 50),
		BPoint(89, 59), BPoint(140, 35), BPoint(101, 11), BPoint(230, 35), BPoint(269, 59),
		BPoint(185, 35)};
	BPoint pressed = kControls[i / 16 % 4];
	BPoint out = i / 16 % 8 < 4 ? BPoint(95, 5) : BPoint(300, 90);
	int step = i % 16;
	if (step < 10)
		host.InjectMouseMove(window, kMoves[step]);
	else if (step == 11)
		host.InjectMouseDown(window, pressed);
	else if (step == 14)
		host.InjectMouseUp(window, out);
	else
		host.InjectMouseMove(window,
			step == 10       ? pressed
				: step == 12 ? pressed + BPoint(3, 2)
				: step == 13 ? out
							 : BPoint(95, 65));
}

class Load : public ::testing::Test {
protected:
	void SetUp() override
	{
		SKIP_WITHOUT_XATTRS(fDir.Path());
		std::string type = fDir.Make("type", true);
		Bytes typeLarge = TrackerIcon(type, 32), typeMini = TrackerIcon(type, 16);
		ASSERT_EQ(typeLarge.size(), 1024u) << "a folder shows no icon";
		fUnits.resize(kUnits);
		for (int i = 0; i < kUnits; i++) {
			Unit& unit = fUnits[i];
			unit.path[0] = fDir.Join("unit" + std::to_string(i));
			unit.path[1] = unit.path[0] + "/G";
			std::string files[2] = {fDir.Make("unit" + std::to_string(i) + "/file"),
				fDir.Make("unit" + std::to_string(i) + "/G/file")};
			Bytes colour(256, uint8_t(0x10 + i));
			ASSERT_TRUE(SetXattr(files[1], kMiniIconAttr, Stored("MICN", colour)));
			Bytes* even = unit.after[0] + 2;
			Bytes* odd = unit.after[1];
			ComposedIcons(colour, typeLarge, typeMini, &even[0], &even[1]);
			ComposedIcons(
				Bytes(even[1].begin() + 4, even[1].end()), typeLarge, typeMini, &odd[0], &odd[1]);
			// F starts as an odd batch leaves it.
			ASSERT_TRUE(SetXattr(unit.path[0], kLargeIconAttr, odd[0])
				&& SetXattr(unit.path[0], kMiniIconAttr, odd[1]));
			for (int n = 0; n < 4; n++) {
				std::string path = n % 2 ? files[n / 2] : unit.path[n / 2];
				unit.drags[n] = platform::HeadlessHost::DragMessageFromPaths({path});
				ASSERT_TRUE(unit.drags[n].HasRef("refs")) << path;
			}
		}
	}

	// Queues the next batch at once; then waits until the window has handled it and tells
	// which folders are not as predicted.
	std::string Batch(platform::HeadlessHost& host, host_window_id window)
	{
		// Points inside the Set icon box, its edges' neighbours included; Clear's is 90 right.
		static const BPoint kOnSetBox[] = {
			BPoint(140, 35), BPoint(101, 11), BPoint(179, 59), BPoint(120, 50)};
		int odd = fBatches % 2, file = fBatches / 2 % 2;
		for (int clear = 0; clear < 2; clear++) {
			for (int i = 0; i < kUnits; i++) {
				const BMessage& drag = fUnits[i].drags[clear ? 2 * odd + file : 3 - odd];
				BPoint where = kOnSetBox[(fBatches + i) % 4] + BPoint(90 * clear, 0);
				if (host.InjectDrop(window, where, drag) != B_OK)
					return "the window refused a drop; ";
			}
		}
		std::string batch = "batch " + std::to_string(fBatches++) + ": ";
		if (!host.WaitForIdle(window, kBatchTimeout))
			return batch + "the window did not get through the drops";
		int wrong = 0;
		for (const Unit& unit : fUnits) {
			Bytes held[4];
			for (int n = 0; n < 4; n++)
				GetXattr(unit.path[n / 2], n % 2 ? kMiniIconAttr : kLargeIconAttr, &held[n]);
			if (!std::equal(held, held + 4, unit.after[odd]) && wrong++ == 0)
				batch += unit.path[0] + " not as predicted; ";
		}
		return wrong == 0 ? "" : batch + std::to_string(wrong) + " units wrong";
	}

	TempDir fDir;
	std::vector<Unit> fUnits;
	int fBatches = 0;
};

}  // namespace

TEST_F(Load, EachDropOfALongRowIsHandledOnceInOrderAndNothingGrowsOrStays)
{
	const int threadsBefore = CountThreads(), fdsBefore = CountDescriptors();
	long warmKiB = -1, endKiB = -1;
	int repaints = 0;
	std::string wrong, printed;
	Clock::time_point start = Clock::now();
	{
		StdoutCapture capture;
		app_test::AppRunner app;
		host_window_id window = app.MainWindow();
		ASSERT_TRUE(app.Host().WaitForIdle(window));
		int32 presentsBefore = app.Host().PresentCount(window);
		while (fBatches < kBatches && wrong.empty()) {
			wrong = Batch(app.Host(), window);
			if (fBatches == kBatches / 10)
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
	WaitUntil([&] { return CountThreads() <= threadsBefore && CountDescriptors() <= fdsBefore; });
	int threadsLeft = CountThreads() - threadsBefore, fdsLeft = CountDescriptors() - fdsBefore;
	int drops = fBatches * 2 * kUnits;

	EXPECT_EQ(wrong, "");
	EXPECT_EQ(repaints, drops) << "drops handled more or less than once";
	EXPECT_EQ(printed, "") << "a drop failed";
#ifndef LOAD_SANITIZED
	EXPECT_LT(endKiB - warmKiB, 1024) << "from " << warmKiB << " KiB";
#endif
	EXPECT_LE(threadsLeft, 0);
	EXPECT_LE(fdsLeft, 0);

	RecordFigure("load.drops", drops);
	RecordFigure("load.folders", 2 * kUnits);
	RecordFigure("load.set_drops", drops / 2);
	RecordFigure("load.clear_drops", drops / 2);
	RecordFigure("load.rss_warm_kib", warmKiB);
	RecordFigure("load.rss_end_kib", endKiB);
	RecordFigure("load.rss_growth_kib", endKiB - warmKiB);
	RecordFigure("load.threads_left", threadsLeft);
	RecordFigure("load.fds_left", fdsLeft);
	RecordFigure("load.seconds", (long long)(seconds + 0.5));
	RecordFigure("load.drops_per_second", (long long)(drops / std::max(seconds, 0.001)));
}

TEST_F(Load, DropsAllLandAndTheControlsRecoverUnderTwoHundredPointerEventsASecond)
{
	const int seconds = 10;
	app_test::AppRunner app;
	platform::HeadlessHost& host = app.Host();
	host_window_id window = app.MainWindow();
	ASSERT_TRUE(host.WaitForIdle(window));
	std::vector<uint32> idle = host.WindowPixels(window);

	// Its own thread, on a fixed clock: one event every 5 ms.
	std::atomic<bool> streaming(true);
	int events = 0;
	Clock::time_point start = Clock::now();
	std::thread pointer([&] {
		for (; events < seconds * 200; events++) {
			std::this_thread::sleep_until(start + std::chrono::milliseconds(5 * events));
			PointerEvent(host, window, events);
		}
		streaming = false;
	});
	std::string wrong;
	while (streaming && wrong.empty())
		wrong = Batch(host, window);
	pointer.join();
	double elapsed = SecondsSince(start);

	host.InjectMouseMove(window, BPoint(95, 35));  // the background
	EXPECT_TRUE(host.WaitForIdle(window)) << "the window stopped answering";
	EXPECT_EQ(wrong, "");
	EXPECT_TRUE(host.WindowPixels(window) == idle) << "a control did not return to its look";
	EXPECT_EQ(host.Windows().size(), 1u) << "a button fired: an alert opened";
	EXPECT_FALSE(app.Finished(0)) << "a button fired: the application quit";

	RecordFigure("load.pointer_events", events);
	RecordFigure("load.pointer_seconds", (long long)(elapsed + 0.5));
	RecordFigure("load.pointer_drops", fBatches * 2 * kUnits);
}
