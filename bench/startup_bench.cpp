// Whole runs of the program: fork, exec `vorn` with a command, wait for its exit. Start-up alone
// (`/nocard q`, and `ver` on the simulated board), and INIT on the simulated board measured the
// same way, so that INIT's own cost is the difference to `ver`.
#include "whole_run.h"

namespace {

// Every run on a board uses one simulated board of the benchmark's own.
const bench::TempDir& OwnBoard() {
  static const bench::TempDir dir("vorn-startup-bench");
  return dir;
}

void RunOnBoard(const std::vector<std::string>& args) {
  bench::RunQuiet(args, "", bench::OwnBoardIn(OwnBoard()));
}

void BM_StartupNocardQuit(benchmark::State& state) {
  for (auto _ : state) bench::RunQuiet({VORN_BINARY, "/nocard", "q"});
}

void BM_StartupVersion(benchmark::State& state) {
  for (auto _ : state) RunOnBoard({VORN_BINARY, "ver"});
}

// INIT with its default flags: registers (with the 1000 us PLL delay) and both LUTs.
void BM_Init(benchmark::State& state) {
  for (auto _ : state) RunOnBoard({VORN_BINARY, "init"});
}

// INIT ONLYVRAM: the 1 MiB display memory clear alone.
void BM_InitOnlyVram(benchmark::State& state) {
  for (auto _ : state) RunOnBoard({VORN_BINARY, "init", "onlyvram"});
}

WHOLE_RUN(BM_StartupNocardQuit);
WHOLE_RUN(BM_StartupVersion);
WHOLE_RUN(BM_Init);
WHOLE_RUN(BM_InitOnlyVram);

}  // namespace
