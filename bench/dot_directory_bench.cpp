// Clear icon on a folder whose .directory another program filled to the size limit: the
// editing must stay linear, so that such a file never freezes the window.
#include <Bitmap.h>
#include <Node.h>
#include <NodeInfo.h>

#include <stdio.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Our group, then blank lines up to 64 KiB: every line of it is looked at on withdrawal.
void Plant(const std::string& folder)
{
	std::string text = "[Desktop Entry]\nIcon=./.vellumark-icon.png\nX-Vellumark-Created=group\n";
	text.resize(64 * 1024 - 1, '\n');
	std::ofstream(folder + "/.directory", std::ios::binary | std::ios::trunc) << text;
}

}  // namespace

int main()
{
	const std::string folder = std::string(VELLUMARK_BINARY_DIR) + "/bench-dot-directory";
	std::filesystem::create_directories(folder);
	BBitmap icon(BRect(0, 0, 31, 31), B_CMAP8);
	std::fill_n(static_cast<uint8*>(icon.Bits()), 1024, uint8(7));
	std::vector<double> samples;
	for (int round = 0; round < 21; round++) {
		BNode node(folder.c_str());
		BNodeInfo info(&node);
		info.SetIcon(&icon, B_LARGE_ICON);
		Plant(folder);
		Clock::time_point start = Clock::now();
		info.SetIcon(NULL, B_LARGE_ICON);
		std::chrono::duration<double, std::milli> spent = Clock::now() - start;
		samples.push_back(spent.count());
	}
	std::sort(samples.begin(), samples.end());
	printf("Clear icon with a planted 64 KiB .directory: median %.2f ms, worst %.2f ms "
		   "(goal: under 50 ms)\n",
		samples[samples.size() / 2], samples.back());
	std::filesystem::remove_all(folder);
	return 0;
}
