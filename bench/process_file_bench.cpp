// Set icon on a warm folder, next to the system calls it needs at the least, made raw (the
// floor). Prints the ratio of the two.
#include <benchmark/benchmark.h>

#include <Entry.h>
#include <Message.h>

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "ProcessFile.h"

namespace {

struct Scratch {
	std::string root;
	std::string folder;
	std::string file;

	Scratch()
	{
		root = std::string(VELLUMARK_BINARY_DIR) + "/bench-scratch";
		folder = root + "/folder";
		file = folder + "/file.txt";
		std::filesystem::create_directories(folder);
		FILE* f = fopen(file.c_str(), "w");
		if (f != NULL) {
			fputs("A few words of text.\n", f);
			fclose(f);
		}
	}
	~Scratch() { std::filesystem::remove_all(root); }
};

Scratch& TheScratch()
{
	static Scratch scratch;
	return scratch;
}

BMessage SetIconMessage()
{
	BMessage message(B_SIMPLE_DATA);
	entry_ref ref;
	get_ref_for_path(TheScratch().file.c_str(), &ref);
	message.AddRef("refs", &ref);
	message.AddInt32("FileDropID", 0);
	return message;
}

void SetIconOnce(BMessage* message)
{
	ProcessFile(message);
}

// What a Set icon needs from the kernel at the least: read the item's mini icon and its type,
// read the head of the item to tell its content type, read the folder's two icons, write the
// folder's two icons.
void RawFloorOnce()
{
	static char buffer[4096];
	const Scratch& s = TheScratch();
	lgetxattr(s.file.c_str(), "user.BEOS:M:STD_ICON", buffer, sizeof(buffer));
	lgetxattr(s.file.c_str(), "user.BEOS:TYPE", buffer, sizeof(buffer));
	int fd = open(s.file.c_str(), O_RDONLY | O_CLOEXEC);
	if (fd >= 0) {
		if (read(fd, buffer, sizeof(buffer)) < 0)
			buffer[0] = 0;
		close(fd);
	}
	lgetxattr(s.folder.c_str(), "user.BEOS:M:STD_ICON", buffer, sizeof(buffer));
	lgetxattr(s.folder.c_str(), "user.BEOS:L:STD_ICON", buffer, sizeof(buffer));
	lsetxattr(s.folder.c_str(), "user.BEOS:L:STD_ICON", buffer, 1028, 0);
	lsetxattr(s.folder.c_str(), "user.BEOS:M:STD_ICON", buffer, 260, 0);
}

void BM_ProcessFileSetIconWarmFolder(benchmark::State& state)
{
	BMessage message = SetIconMessage();
	SetIconOnce(&message);  // warm: the folder has its own icons from now on
	for (auto _ : state)
		SetIconOnce(&message);
}
BENCHMARK(BM_ProcessFileSetIconWarmFolder);

void BM_RawXattrFloor(benchmark::State& state)
{
	for (auto _ : state)
		RawFloorOnce();
}
BENCHMARK(BM_RawXattrFloor);

template<typename F>
double MedianMicroseconds(F body, int rounds, int iterations)
{
	std::vector<double> samples;
	for (int r = 0; r < rounds; r++) {
		auto start = std::chrono::steady_clock::now();
		for (int i = 0; i < iterations; i++)
			body();
		std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
		samples.push_back(spent.count() / iterations);
	}
	std::sort(samples.begin(), samples.end());
	return samples[samples.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
	benchmark::Initialize(&argc, argv);
	benchmark::RunSpecifiedBenchmarks();

	BMessage message = SetIconMessage();
	SetIconOnce(&message);
	// Interleaved rounds, so both sides see the same machine.
	double setIcon = 0, floor = 0;
	for (int round = 0; round < 5; round++) {
		setIcon += MedianMicroseconds([&] { SetIconOnce(&message); }, 5, 400);
		floor += MedianMicroseconds(RawFloorOnce, 5, 400);
	}
	printf("Set icon on a warm folder: %.2f us; raw floor: %.2f us; ratio %.2fx "
		   "(goal: at most 2x)\n",
		setIcon / 5, floor / 5, setIcon / floor);
	benchmark::Shutdown();
	return 0;
}
