// The cost of the desktop's view of a folder's icon, and of the first look-up of a type icon
// in the desktop's theme. Prints the figures and their ratios.
#include <benchmark/benchmark.h>

#include <Bitmap.h>
#include <Entry.h>
#include <Message.h>
#include <Node.h>
#include <NodeInfo.h>

#include <stdio.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "ProcessFile.h"
#include "desktop/FolderIconObserver.h"
#include "desktop/ImageNames.h"
#include "storage/ThemeIconSource.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string Folder()
{
	static const std::string folder = std::string(VELLUMARK_BINARY_DIR) + "/bench-icons";
	std::filesystem::create_directories(folder);
	return folder;
}

// Stores the large icon; changed gives it other pixels each time.
void SetIcon(bool changed)
{
	static uint8 shade = 0;
	BBitmap icon(BRect(0, 0, 31, 31), B_CMAP8);
	uint8* bits = static_cast<uint8*>(icon.Bits());
	std::fill(bits, bits + 1024, changed ? uint8(++shade % 200) : uint8(7));
	BNode node(Folder().c_str());
	BNodeInfo info(&node);
	info.SetIcon(&icon, B_LARGE_ICON);
}

// A Set icon drop of one of two files of different types in turn: after the first two,
// each drop composes an icon the folder does not have, so each publishes a new image drawn
// over the previous one.
void DropNext()
{
	static int turn = 0;
	static const char* names[] = {"notes.txt", "script.sh"};
	std::string path = Folder() + "/" + names[turn++ % 2];
	if (!std::filesystem::exists(path))
		std::ofstream(path) << "#!/bin/sh\n";
	BMessage message(B_SIMPLE_DATA);
	entry_ref ref;
	get_ref_for_path(path.c_str(), &ref);
	message.AddRef("refs", &ref);
	ProcessFile(&message);
}

double MedianMicroseconds(bool view, const std::function<void()>& step, int iterations)
{
	platform::SetNodeIconObserver(view ? &platform::FolderIconObserver::Instance() : NULL);
	step();
	step();
	std::vector<double> samples;
	for (int round = 0; round < 7; round++) {
		Clock::time_point start = Clock::now();
		for (int i = 0; i < iterations; i++)
			step();
		std::chrono::duration<double, std::micro> spent = Clock::now() - start;
		samples.push_back(spent.count() / iterations);
	}
	platform::SetNodeIconObserver(&platform::FolderIconObserver::Instance());
	std::sort(samples.begin(), samples.end());
	return samples[samples.size() / 2];
}

// Whether storing the icon over itself left every file of the folder as it was.
bool SameIconRewritesNothing()
{
	SetIcon(false);
	auto snapshot = []() {
		std::vector<std::string> files;
		for (const auto& entry : std::filesystem::directory_iterator(Folder())) {
			struct stat st;
			lstat(entry.path().c_str(), &st);
			files.push_back(entry.path().filename().string() + std::to_string(st.st_ino) + "/"
				+ std::to_string(st.st_mtim.tv_nsec) + "/" + std::to_string(st.st_size));
		}
		std::sort(files.begin(), files.end());
		return files;
	};
	std::vector<std::string> before = snapshot();
	SetIcon(false);
	return snapshot() == before;
}

void BM_SetIconDropPublishingANewImage(benchmark::State& state)
{
	for (auto _ : state)
		DropNext();
}
BENCHMARK(BM_SetIconDropPublishingANewImage)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
	// First, while nothing is loaded yet: the MIME database, the theme's index, one icon.
	Clock::time_point start = Clock::now();
	platform::ThemeIconSource source(
		platform::ThemeIconSource::UserBaseFolders(), platform::ThemeIconSource::UserThemeName());
	uint8 pixels[1024];
	status_t found = source.GetIcon("application/pdf", B_LARGE_ICON, pixels);
	std::chrono::duration<double, std::milli> cold = Clock::now() - start;

	benchmark::Initialize(&argc, argv);
	benchmark::RunSpecifiedBenchmarks();

	auto same = []() { SetIcon(false); };
	auto changed = []() { SetIcon(true); };
	double warmWith = MedianMicroseconds(true, same, 400);
	double warmWithout = MedianMicroseconds(false, same, 400);
	double changedWith = MedianMicroseconds(true, changed, 20);
	double changedWithout = MedianMicroseconds(false, changed, 400);
	double dropWith = MedianMicroseconds(true, DropNext, 10);
	double dropWithout = MedianMicroseconds(false, DropNext, 100);
	bool untouched = SameIconRewritesNothing();
	printf("Cold type icon look-up (%s): %.2f ms (goal: under 30 ms)\n",
		found == B_OK ? "found" : "not in the theme", cold.count());
	printf("Warm Set icon, same icon: %.2f us with the desktop view, %.2f us without, ratio "
		   "%.2fx (goal: at most 5x); files rewritten: %s (goal: none)\n",
		warmWith, warmWithout, warmWith / warmWithout, untouched ? "none" : "SOME");
	printf("Set icon of an icon of unknown origin, new image (scaled): %.2f ms with the view, "
		   "%.3f ms without\n",
		changedWith / 1000, changedWithout / 1000);
	printf("Warm Set icon drop publishing a new %d-pixel image drawn from the theme: %.2f ms "
		   "with the view, %.3f ms without (goal: at most 20 ms)\n",
		512, dropWith / 1000, dropWithout / 1000);
	std::filesystem::remove_all(Folder());
	benchmark::Shutdown();
	return 0;
}
