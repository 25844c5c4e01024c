// Long runs through the real main window on the headless host: a row of drops over a few
// hundred real folders, and a stream of pointer events while drops are processed. What every
// folder holds after each batch of drops is what the engine's own compositions predict.
//
// Units of a folder F, holding a folder G, which holds a file with an own mini icon of the
// unit's colour. A batch gives every unit a Set icon and then, once all units had
// theirs, a Clear icon, by turns:
// - even batches: G's file on Set icon (G, cleared before, gets its type icon with the file
//   drawn in), and F on Clear icon;
// - odd batches: G on Set icon (F, cleared before, gets its type icon with G's own mini icon
//   drawn in), and G on Clear icon.
// Each drop changes its folder from what the last check found, so a lost drop shows; a Clear
// of G handled before the Set of G onto F draws G's type icon into F instead, so that shows
// too; and each drop repaints its box once, so the presents count drops handled twice.
#include <algorithm>

#include "FaultSupport.h"
#include "host/headless/HeadlessHost.h"

using namespace fault_test;
using Clock = std::chrono::steady_clock;

namespace {

const int kUnits = 125;  // 250 folders, 250 drops a batch
const int kBatches = 40;

struct Unit {
	std::string path[2];  // F, G
	BMessage drags[3];  // F, G, G's file
	Xattrs after[2][2];  // after an even and an odd batch: F's, G's
};

// Event i of a repeating gesture of six, with each of the four controls in turn: the pointer
// moves onto the control, presses it, moves a little, drags out (within the window or beyond
// it), is released there, so that no button fires, and moves over the background. The next
// control is pressed 10 ms after that release.
void PointerEvent(TestWindow& window, int i)
{
	static const BPoint kControls[] = {{50, 20}, {50, 50}, {140, 35}, {230, 35}};
	BPoint pressed = kControls[i / 6 % 4], out = i / 24 % 2 ? BPoint(300, 90) : BPoint(95, 5);
	const BPoint moves[] = {pressed, pressed, pressed + BPoint(3, 2), out, out, BPoint(95, 65)};
	if (i % 6 == 1)
		window.Pointer(pressed, B_PRIMARY_MOUSE_BUTTON);
	else if (i % 6 == 4)
		window.Pointer(out, 0);
	else
		window.MouseMove(moves[i % 6]);
}

class Load : public ::testing::Test {
protected:
	void SetUp() override
	{
		SKIP_WITHOUT_XATTRS(fDir.Path());
		Bytes typeLarge = Stored("ICON", TrackerIcon(fDir.Path(), 32));
		Bytes typeMini = Stored("MICN", TrackerIcon(fDir.Path(), 16));
		ASSERT_EQ(typeLarge.size(), 4u + 1024) << "a folder shows no icon";
		for (int i = 0; i < kUnits; i++) {
			Unit& unit = fUnits[i];
			std::string file = fDir.Make("unit" + std::to_string(i) + "/G/file");
			unit.path[1] = file.substr(0, file.rfind('/'));
			unit.path[0] = unit.path[1].substr(0, unit.path[1].rfind('/'));
			for (int n = 0; n < 3; n++)
				unit.drags[n] = DragOf(n < 2 ? unit.path[n] : file);
			ASSERT_TRUE(GiveIcons(file, 0, 0x10 + i));
			Xattrs &g = unit.after[0][1], &f = unit.after[1][0];
			g = Composed(Bytes(256, 0x10 + i), typeLarge, typeMini);
			f = Composed(
				Bytes(g[kMiniIconAttr].begin() + 4, g[kMiniIconAttr].end()), typeLarge, typeMini);
			// F starts as an odd batch leaves it.
			ASSERT_TRUE(SetXattr(unit.path[0], kLargeIconAttr, f[kLargeIconAttr])
				&& SetXattr(unit.path[0], kMiniIconAttr, f[kMiniIconAttr]));
		}
	}

	// Queues the next batch at once; then waits until the window has handled it and tells
	// which folders are not as predicted.
	std::string Batch(TestWindow& window)
	{
		// Points inside the Set icon box, its edges' neighbours included; Clear's is 90 right.
		static const BPoint kOnSetBox[] = {{140, 35}, {101, 11}, {179, 59}, {120, 50}};
		int odd = fBatches % 2;
		std::string wrong = "batch " + std::to_string(fBatches++) + ": ";
		for (int n = 0; n < 2 * kUnits; n++) {
			int clear = n / kUnits;
			if (window.Drop(kOnSetBox[(fBatches + n) % 4] + BPoint(90 * clear, 0),
					fUnits[n % kUnits].drags[clear ? odd : 2 - odd])
				!= B_OK)
				return wrong + "the window refused a drop";
		}
		if (!window.WaitForIdle(30000000))
			return wrong + "the window did not get through the drops";
		for (const Unit& unit : fUnits) {
			if (AllXattrs(unit.path[0]) != unit.after[odd][0]
				|| AllXattrs(unit.path[1]) != unit.after[odd][1])
				return wrong + unit.path[0] + " is not as predicted";
		}
		return "";
	}

	TempDir fDir;
	std::vector<Unit> fUnits = std::vector<Unit>(kUnits);
	int fBatches = 0;
};

}  // namespace

TEST_F(Load, EachDropOfALongRowIsHandledOnceInOrderAndNothingGrowsOrStays)
{
	const int threadsBefore = CountThreads(), fdsBefore = CountDescriptors();
	long warmKiB = -1, endKiB = -1, repaints = 0;
	std::string wrong, printed;
	Clock::time_point start = Clock::now();
	{
		StdoutCapture capture;
		app_test::AppRunner app;
		TestWindow& window = app.MainWindow();
		ASSERT_TRUE(window.WaitForIdle());
		int32 presentsBefore = window.PresentCount();
		// A sanitized build runs what 40 s allow, a quarter of the row at most: a whole row
		// would outlast the test's time there, and memory is not measured there.
		const bool sanitized = Sanitized();
		const int batches = sanitized ? kBatches / 4 : kBatches;
		while (fBatches < batches && wrong.empty()
			&& !(sanitized && Clock::now() - start > std::chrono::seconds(40))) {
			wrong = Batch(window);
			warmKiB = fBatches == kBatches / 10 ? ResidentKiB() : warmKiB;
		}
		// Each drop repaints its box once, at once: one present a drop, no more, no less.
		repaints = window.PresentCount() - presentsBefore;
		endKiB = ResidentKiB();
		window.Close();
		EXPECT_TRUE(app.Finished());
		printed = capture.Finish();
	}
	double seconds = std::chrono::duration<double>(Clock::now() - start).count();
	WaitUntil([&] { return CountThreads() <= threadsBefore && CountDescriptors() <= fdsBefore; });
	int threadsLeft = CountThreads() - threadsBefore, fdsLeft = CountDescriptors() - fdsBefore;
	int drops = fBatches * 2 * kUnits;

	EXPECT_EQ(wrong, "");
	EXPECT_EQ(repaints, drops) << "drops handled more or less than once";
	EXPECT_EQ(printed, "") << "a drop failed";
	EXPECT_TRUE(Sanitized() || endKiB - warmKiB < 1024)
		<< "from " << warmKiB << " KiB to " << endKiB;
	EXPECT_TRUE(threadsLeft <= 0 && fdsLeft <= 0)
		<< threadsLeft << " threads, " << fdsLeft << " descriptors left";
	for (const auto& [name, value] : std::vector<std::pair<std::string, long long>>{
			 {"drops", drops}, {"rss_warm_kib", warmKiB}, {"rss_end_kib", endKiB},
			 {"rss_growth_kib", endKiB - warmKiB}, {"threads_left", threadsLeft},
			 {"fds_left", fdsLeft}, {"seconds", (long long)(seconds + 0.5)},
			 {"drops_per_second", (long long)(drops / std::max(seconds, 0.001))}})
		RecordFigure("load." + name, value);
}

TEST_F(Load, DropsAllLandAndTheControlsRecoverUnderTwoHundredPointerEventsASecond)
{
	const int seconds = 10;
	app_test::AppRunner app;
	TestWindow& window = app.MainWindow();
	ASSERT_TRUE(window.WaitForIdle());
	std::vector<uint32> idle = window.Pixels();

	// Its own thread, on a fixed clock: one event every 5 ms, whole gestures, so that the
	// last press is released (a press held at the end would keep the window tracking it).
	std::atomic<bool> streaming(true);
	int events = 0;
	Clock::time_point start = Clock::now();
	std::thread pointer([&] {
		for (; events < seconds * 200 || events % 6 != 0; events++) {
			std::this_thread::sleep_until(start + std::chrono::milliseconds(5 * events));
			PointerEvent(window, events);
		}
		streaming = false;
	});
	std::string wrong;
	while (streaming && wrong.empty())
		wrong = Batch(window);
	pointer.join();

	window.MouseMove(BPoint(95, 35));  // the background
	EXPECT_TRUE(window.WaitForIdle()) << "the window stopped answering";
	EXPECT_EQ(wrong, "");
	EXPECT_TRUE(window.Pixels() == idle) << "a control did not return to its look";
	EXPECT_EQ(platform::HeadlessHost::Instance().Windows().size(), 1u)
		<< "a button fired: an alert opened";
	EXPECT_FALSE(app.Finished(0)) << "a button fired: the application quit";
	RecordFigure("load.pointer_events", events);
	RecordFigure("load.pointer_seconds", (Clock::now() - start) / std::chrono::seconds(1));
	RecordFigure("load.pointer_drops", fBatches * 2 * kUnits);
}
