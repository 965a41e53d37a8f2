// FLOAD of an 800 x 480 24-bit picture into display memory of the simulated board, as a whole
// run of `vorn fload picture.ppm mem 0 *`: start-up, reading and converting the picture to
// RGB 565, and the transfer. Next to it the same run with a one-unit load, for the start-up's
// share.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 480;

struct Workspace {
  std::string dir;
  Workspace() {
    char pattern[] = "/tmp/vorn-fload-bench-XXXXXX";
    dir = mkdtemp(pattern) != nullptr ? pattern : "/tmp";
    std::string header =
        "P6\n" + std::to_string(kWidth) + " " + std::to_string(kHeight) + "\n255\n";
    std::vector<unsigned char> pixels(kWidth * kHeight * 3);
    for (size_t i = 0; i < pixels.size(); i++)
      pixels[i] = static_cast<unsigned char>(i * 7 + i / 2400);
    FILE* f = std::fopen((dir + "/picture.ppm").c_str(), "wb");
    if (f != nullptr) {
      std::fwrite(header.data(), 1, header.size(), f);
      std::fwrite(pixels.data(), 1, pixels.size(), f);
      std::fclose(f);
    }
    f = std::fopen((dir + "/unit.bin").c_str(), "wb");
    if (f != nullptr) {
      std::fputs("12", f);
      std::fclose(f);
    }
  }
  ~Workspace() { std::system(("rm -rf " + dir).c_str()); }
};

void RunVorn(const Workspace& w, const char* file) {
  pid_t pid = fork();
  if (pid == 0) {
    int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(null, 2);
    if (chdir(w.dir.c_str()) != 0) _exit(126);
    setenv("VORN_BOARD", ("sim:" + w.dir + "/board.img").c_str(), 1);
    setenv("QDXBOARD", ("bench" + std::to_string(getppid())).c_str(), 1);
    execl(VORN_BINARY, VORN_BINARY, "fload", file, "mem", "0", "*", static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
}

void BM_FloadPicture800x480(benchmark::State& state) {
  Workspace w;
  RunVorn(w, "picture.ppm");  // the board file exists before the timing starts
  for (auto _ : state) RunVorn(w, "picture.ppm");
}
BENCHMARK(BM_FloadPicture800x480)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_FloadOneUnit(benchmark::State& state) {
  Workspace w;
  RunVorn(w, "unit.bin");
  for (auto _ : state) RunVorn(w, "unit.bin");
}
BENCHMARK(BM_FloadOneUnit)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
