// A counting loop run as a whole program, next to the same loop in bash: fork, exec, wait.
//   vorn: WHILE $i<100000t DO SET $i $i+1   (in a script, with SET's echo off)
//   bash: i=0; while [ $i -lt 100000 ]; do i=$((i+1)); done
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include <benchmark/benchmark.h>

namespace {

constexpr const char* kScript =
    "VERBOSE CMD:OFF SET:OFF\n"
    "set $i 0\n"
    "WHILE $i<100000t DO SET $i $i+1\n"
    "IF $i!=100000t nosuch\n";

// A directory holding the loop script, made once.
const std::string& ScriptDir() {
  static const std::string dir = [] {
    char name[] = "/tmp/vorn-script-bench-XXXXXX";
    std::string made = mkdtemp(name) != nullptr ? name : "/tmp";
    std::ofstream(made + "/loop.txt") << kScript;
    return made;
  }();
  return dir;
}

// Runs the program in the script directory with its output discarded; its exit code.
int RunOnce(const char* path, const char* const* argv) {
  pid_t pid = fork();
  if (pid == 0) {
    int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    if (chdir(ScriptDir().c_str()) != 0) _exit(126);
    setenv("VORN_BOARD", "sim", 1);
    execv(path, const_cast<char* const*>(argv));
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void BM_VornWhileLoop(benchmark::State& state) {
  const char* argv[] = {VORN_BINARY, "/nocard", "loop", nullptr};
  for (auto _ : state) {
    if (RunOnce(VORN_BINARY, argv) != 0) state.SkipWithError("the loop script failed");
  }
}
BENCHMARK(BM_VornWhileLoop)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void BM_BashWhileLoop(benchmark::State& state) {
  const char* argv[] = {"/bin/bash", "-c", "i=0; while [ $i -lt 100000 ]; do i=$((i+1)); done",
                        nullptr};
  for (auto _ : state) {
    if (RunOnce("/bin/bash", argv) != 0) state.SkipWithError("bash failed");
  }
}
BENCHMARK(BM_BashWhileLoop)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace
