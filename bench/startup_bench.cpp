// Start-up cost of the whole program: fork, exec `vorn /nocard q`, wait for its exit.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

namespace {

void RunOnce() {
  pid_t pid = fork();
  if (pid == 0) {
    int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    execl(VORN_BINARY, VORN_BINARY, "/nocard", "q", static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
}

void BM_StartupNocardQuit(benchmark::State& state) {
  for (auto _ : state) RunOnce();
}
BENCHMARK(BM_StartupNocardQuit)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
