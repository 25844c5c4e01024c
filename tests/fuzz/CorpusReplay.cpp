// Replays a fuzz target's corpus through its entry point, one file at a time, in the ordinary
// build: the seeds and every input that once crashed a target guard each run of the suite.
// A target that finds a fault aborts, and the test fails with the file's name printed first.
#include <stdint.h>
#include <stdio.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

int main(int argc, char** argv)
{
	if (LLVMFuzzerInitialize != NULL)
		LLVMFuzzerInitialize(&argc, &argv);
	std::vector<std::filesystem::path> files;
	for (int i = 1; i < argc; i++) {
		for (const auto& entry : std::filesystem::directory_iterator(argv[i]))
			files.push_back(entry.path());
	}
	std::sort(files.begin(), files.end());
	for (const auto& file : files) {
		fprintf(stderr, "%s\n", file.c_str());
		std::ifstream in(file, std::ios::binary);
		std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
		LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
	}
	printf("%zu inputs replayed\n", files.size());
	return files.empty() ? 1 : 0;
}
