// SHOW FILL of an 800 x 480 RGB 5:6:5 window on the simulated board: a whole run of `vorn`
// (start-up, setting the window up, one frame), and one animation frame in the process itself
// (rendering, conversion and the transfer through the simulated USB bridge), given as frames per
// second. The goal is 30 frames per second or more.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "whole_run.h"

#include "console/output.h"
#include "display/show_command.h"
#include "hal/hal_state.h"
#include "hal/hcl_data.h"
#include "sim/sim_pipe.h"
#include "transport/usb_transport.h"

namespace {

const char* const kWindowScript =
    "set main1width 800t\nset main1height 480t\nset main1stride 1600t\nshow fill\n";

struct Workspace : bench::TempDir {
  Workspace() : TempDir("vorn-show-bench") { Write("fill800.txt", kWindowScript); }
};

void RunVorn(const Workspace& w) {
  bench::RunQuiet({VORN_BINARY, "fill800"}, w.path, bench::OwnBoardIn(w));
}

void BM_ShowFillWholeRun800x480(benchmark::State& state) {
  Workspace w;
  RunVorn(w);  // the board file exists before the timing starts
  for (auto _ : state) RunVorn(w);
}
WHOLE_RUN(BM_ShowFillWholeRun800x480);

// The HAL on a simulated board of its own for the whole run, the output silenced.
struct BenchBoard {
  std::string path = "/tmp/vorn-show-bench-" + std::to_string(getpid()) + ".img";
  BenchBoard() {
    if (!UsbTransportOpen(&SimPipes, path.c_str(), 0, 2, qvHclData.usbInfo)) std::abort();
    Hal.dispatch = BridgeVariant;
    Hal.windowBase[0] = kBridgeWindowMark;
    Output.VerboseMask = 0;
  }
  ~BenchBoard() {
    UsbTransportClose();
    unlink(path.c_str());
  }
};

// One frame of SHOW FILL ANI at 800 x 480 into memory.
void BM_ShowFillFrame800x480(benchmark::State& state) {
  static BenchBoard board;
  auto words = std::make_unique<StatementWords>();
  const char* line = "show fill w=800 h=480 mem sa=0 f=4 n=1";
  words->argc = SplitArgs(line, std::strlen(line), words->argv);
  Value result;
  for (auto _ : state) {
    if (!kShowRow.handler(words->argc, words->argv, &result)) state.SkipWithError("SHOW failed");
  }
  state.counters["fps"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ShowFillFrame800x480)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
