// Set icon and Clear icon in a folder of 150,000 entries: the image is found by its name, not
// by listing the folder, and the leftovers' listing is bounded, so neither grows with the
// folder; Clear icon leaves no image behind wherever the folder lists it.
#include <Bitmap.h>
#include <Node.h>
#include <NodeInfo.h>

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "desktop/ImageNames.h"

namespace {

using Clock = std::chrono::steady_clock;
const int kEntries = 150000;
const int kRounds = 11;

double Median(std::vector<double> samples)
{
	std::sort(samples.begin(), samples.end());
	return samples[samples.size() / 2];
}

}  // namespace

int main()
{
	const std::string folder = std::string(VELLUMARK_BINARY_DIR) + "/bench-large-folder";
	std::filesystem::remove_all(folder);
	std::filesystem::create_directories(folder);
	for (int i = 0; i < kEntries; i++)
		close(open((folder + "/f" + std::to_string(i)).c_str(), O_WRONLY | O_CREAT, 0644));
	BBitmap icon(BRect(0, 0, 31, 31), B_CMAP8);
	uint8* bits = static_cast<uint8*>(icon.Bits());
	std::vector<double> sets, clears;
	int left = 0;
	for (int round = 0; round < kRounds; round++) {
		std::fill_n(bits, 1024, uint8(round + 1));
		BNode node(folder.c_str());
		BNodeInfo info(&node);
		Clock::time_point start = Clock::now();
		info.SetIcon(&icon, B_LARGE_ICON);
		Clock::time_point set = Clock::now();
		info.SetIcon(NULL, B_LARGE_ICON);
		std::chrono::duration<double, std::milli> setting = set - start,
												  clearing = Clock::now() - set;
		sets.push_back(setting.count());
		clears.push_back(clearing.count());
		left += std::filesystem::exists(folder + "/" + platform::FolderIconImageName(bits));
	}
	printf("Folder of %d entries: Set icon median %.2f ms, Clear icon median %.2f ms "
		   "(goal: each under 100 ms); images left after Clear icon: %d of %d (goal: 0)\n",
		kEntries, Median(sets), Median(clears), left, kRounds);
	std::filesystem::remove_all(folder);
	return left == 0 ? 0 : 1;
}
