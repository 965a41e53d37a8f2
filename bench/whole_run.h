// Whole runs of a program for the benchmarks that time them: a working directory of the
// benchmark's own, and one run of a program to its end with its output discarded.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>

namespace bench {

// A temporary directory, removed with everything in it when the benchmark ends.
class TempDir {
 public:
  explicit TempDir(const char* prefix) : path(std::string("/tmp/") + prefix + "-XXXXXX") {
    if (mkdtemp(path.data()) == nullptr) std::abort();  // never fall back to a shared directory
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  void Write(const char* name, const std::string& bytes) const {
    std::ofstream(path + "/" + name, std::ios::binary) << bytes;
  }

  std::string path;
};

using Environment = std::vector<std::pair<std::string, std::string>>;

// A simulated board of the benchmark's own in `dir`, its lock file there too, so that runs never
// wait for another VORN on this machine and leave nothing behind.
inline Environment OwnBoardIn(const TempDir& dir) {
  return {{"VORN_BOARD", "sim:" + dir.path + "/board.img"}, {"XDG_RUNTIME_DIR", dir.path}};
}

// Runs args[0] with its input, output and errors on /dev/null, in `dir` when it is not empty,
// with `env` added to the environment. Its exit code, or -1 when it did not exit.
inline int RunQuiet(const std::vector<std::string>& args, const std::string& dir = "",
                    const Environment& env = {}) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    if (!dir.empty() && chdir(dir.c_str()) != 0) _exit(126);
    for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) < 0) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace bench

// Whole runs are timed on the wall clock: the work is done by another process.
#define WHOLE_RUN(bm)                 \
  BENCHMARK(bm)                       \
      ->Unit(benchmark::kMillisecond) \
      ->UseRealTime()                 \
      ->Repetitions(5)                \
      ->ReportAggregatesOnly(true)
