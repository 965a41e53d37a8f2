// FLOAD of an 800 x 480 24-bit picture into display memory of the simulated board, as a whole
// run of `vorn fload picture.ppm mem 0 *`: start-up, reading and converting the picture to
// RGB 565, and the transfer. Next to it the same run with a one-unit load, for the start-up's
// share.
#include "whole_run.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 480;

struct Workspace : bench::TempDir {
  Workspace() : TempDir("vorn-fload-bench") {
    std::string picture =
        "P6\n" + std::to_string(kWidth) + " " + std::to_string(kHeight) + "\n255\n";
    for (size_t i = 0; i < size_t{kWidth} * kHeight * 3; i++)
      picture.push_back(static_cast<char>(i * 7 + i / 2400));
    Write("picture.ppm", picture);
    Write("unit.bin", "12");
  }
};

void RunVorn(const Workspace& w, const char* file) {
  bench::RunQuiet({VORN_BINARY, "fload", file, "mem", "0", "*"}, w.path, bench::OwnBoardIn(w));
}

void BM_FloadPicture800x480(benchmark::State& state) {
  Workspace w;
  RunVorn(w, "picture.ppm");  // the board file exists before the timing starts
  for (auto _ : state) RunVorn(w, "picture.ppm");
}

void BM_FloadOneUnit(benchmark::State& state) {
  Workspace w;
  RunVorn(w, "unit.bin");
  for (auto _ : state) RunVorn(w, "unit.bin");
}

WHOLE_RUN(BM_FloadPicture800x480);
WHOLE_RUN(BM_FloadOneUnit);

}  // namespace
