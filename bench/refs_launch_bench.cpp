// vellumark --refs FILE with no display, from exec to exit: the program starts, runs on the
// headless host, sets the folder's icon and quits. The goal is well under a second; it takes
// a few tens of milliseconds.
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <stdio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

void RefsWithoutDisplay(benchmark::State& state)
{
	std::string program = std::string(VELLUMARK_BINARY_DIR) + "/vellumark";
	std::string folder = std::string(VELLUMARK_BINARY_DIR) + "/bench-scratch/refs";
	std::string file = folder + "/file.txt";
	std::filesystem::create_directories(folder);
	if (FILE* f = fopen(file.c_str(), "w"))
		fclose(f);

	std::vector<std::string> env;
	for (char** entry = environ; *entry != NULL; entry++) {
		std::string text = *entry;
		if (text.rfind("DISPLAY=", 0) != 0 && text.rfind("WAYLAND_DISPLAY=", 0) != 0)
			env.push_back(text);
	}
	std::vector<char*> envp;
	for (std::string& text : env)
		envp.push_back(text.data());
	envp.push_back(NULL);
	std::string refs = "--refs";
	char* argv[] = {program.data(), refs.data(), file.data(), NULL};

	for (auto _ : state) {
		pid_t pid;
		int status = -1;
		if (posix_spawn(&pid, program.c_str(), NULL, NULL, argv, envp.data()) != 0
			|| waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
			state.SkipWithError("vellumark --refs did not exit with status 0");
			break;
		}
	}
	std::filesystem::remove_all(folder);
}

}  // namespace

BENCHMARK(RefsWithoutDisplay)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);

BENCHMARK_MAIN();
