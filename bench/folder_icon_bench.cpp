// The cost of the copies of a folder's icon for the file managers, and of the first look-up
// of a type icon in the desktop's theme. Prints the figures and their ratios.
#include <benchmark/benchmark.h>

#include <Bitmap.h>
#include <Node.h>
#include <NodeInfo.h>

#include <stdio.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "storage/FolderIconMirrors.h"
#include "storage/ThemeIconSource.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string
Folder()
{
	static const std::string folder = std::string(VELLUMARK_BINARY_DIR) + "/bench-icons";
	std::filesystem::create_directories(folder);
	return folder;
}

// Stores the large icon; changed gives it other pixels each time.
void
SetIcon(bool changed)
{
	static uint8 shade = 0;
	BBitmap icon(BRect(0, 0, 31, 31), B_CMAP8);
	uint8* bits = static_cast<uint8*>(icon.Bits());
	std::fill(bits, bits + 1024, changed ? uint8(++shade % 200) : uint8(7));
	BNode node(Folder().c_str());
	BNodeInfo info(&node);
	info.SetIcon(&icon, B_LARGE_ICON);
}

double
MedianMicroseconds(bool mirrors, bool changed, int iterations)
{
	platform::FolderIconMirrors::SetEnabled(mirrors);
	SetIcon(changed);
	std::vector<double> samples;
	for (int round = 0; round < 7; round++) {
		Clock::time_point start = Clock::now();
		for (int i = 0; i < iterations; i++)
			SetIcon(changed);
		std::chrono::duration<double, std::micro> spent = Clock::now() - start;
		samples.push_back(spent.count() / iterations);
	}
	platform::FolderIconMirrors::SetEnabled(true);
	std::sort(samples.begin(), samples.end());
	return samples[samples.size() / 2];
}

void
BM_SetIconWithMirrorsChangedIcon(benchmark::State& state)
{
	for (auto _ : state)
		SetIcon(true);
}
BENCHMARK(BM_SetIconWithMirrorsChangedIcon);

}  // namespace

int
main(int argc, char** argv)
{
	// First, while nothing is loaded yet: the MIME database, the theme's index, one icon.
	Clock::time_point start = Clock::now();
	platform::ThemeIconSource source(platform::ThemeIconSource::UserBaseFolders(),
		platform::ThemeIconSource::UserThemeName());
	uint8 pixels[1024];
	status_t found = source.GetIcon("application/pdf", B_LARGE_ICON, pixels);
	std::chrono::duration<double, std::milli> cold = Clock::now() - start;

	benchmark::Initialize(&argc, argv);
	benchmark::RunSpecifiedBenchmarks();

	double warmWith = MedianMicroseconds(true, false, 400);
	double warmWithout = MedianMicroseconds(false, false, 400);
	double changedWith = MedianMicroseconds(true, true, 40);
	double changedWithout = MedianMicroseconds(false, true, 400);
	printf("Cold type icon look-up (%s): %.2f ms (goal: under 30 ms)\n",
		found == B_OK ? "found" : "not in the theme", cold.count());
	printf("Warm Set icon, same icon: %.2f us with mirrors, %.2f us without, ratio %.2fx "
		"(goal: at most 5x)\n", warmWith, warmWithout, warmWith / warmWithout);
	printf("Set icon, changed icon: %.2f us with mirrors, %.2f us without, ratio %.2fx\n",
		changedWith, changedWithout, changedWith / changedWithout);
	std::filesystem::remove_all(Folder());
	benchmark::Shutdown();
	return 0;
}
