// Whole runs of the program: fork, exec `vorn` with a command, wait for its exit. Start-up alone
// (`/nocard q`, and `ver` on the simulated board), and INIT on the simulated board measured the
// same way, so that INIT's own cost is the difference to `ver`.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include <benchmark/benchmark.h>

namespace {

void RunOnce(const char* first, const char* second) {
  pid_t pid = fork();
  if (pid == 0) {
    int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    execl(VORN_BINARY, VORN_BINARY, first, second, static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
}

// Every run uses one simulated board of the benchmark's own.
void UseOwnBoard() {
  static const std::string setting = "sim:/tmp/vorn-bench-" + std::to_string(getpid()) + ".img";
  setenv("VORN_BOARD", setting.c_str(), 1);
}

void BM_StartupNocardQuit(benchmark::State& state) {
  for (auto _ : state) RunOnce("/nocard", "q");
}

void BM_StartupVersion(benchmark::State& state) {
  UseOwnBoard();
  for (auto _ : state) RunOnce("ver", nullptr);
}

// INIT with its default flags: registers (with the 1000 us PLL delay) and both LUTs.
void BM_Init(benchmark::State& state) {
  UseOwnBoard();
  for (auto _ : state) RunOnce("init", nullptr);
}

// INIT ONLYVRAM: the 1 MiB display memory clear alone.
void BM_InitOnlyVram(benchmark::State& state) {
  UseOwnBoard();
  for (auto _ : state) RunOnce("init", "onlyvram");
}

#define WHOLE_RUN(bm) \
  BENCHMARK(bm)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true)
WHOLE_RUN(BM_StartupNocardQuit);
WHOLE_RUN(BM_StartupVersion);
WHOLE_RUN(BM_Init);
WHOLE_RUN(BM_InitOnlyVram);

}  // namespace
