// vornreg as whole runs on the simulated board: `vornreg save` of the whole chip (registers and
// both LUTs), and `vornreg diff` of that snapshot against the live board. Next to them the
// start-up alone (`vornreg show` of the snapshot, which reads no board).
#include "whole_run.h"

namespace {

void RunVornreg(const bench::TempDir& w, const char* action) {
  bench::RunQuiet({VORNREG_BINARY, action, w.path + "/snap.txt"}, w.path, bench::OwnBoardIn(w));
}

// The board and the snapshot that the diff and show runs read, made once.
struct Workspace : bench::TempDir {
  Workspace() : TempDir("vornreg-bench") { RunVornreg(*this, "save"); }
};
const Workspace& OwnBoard() {
  static const Workspace workspace;
  return workspace;
}

void BM_Save(benchmark::State& state) {
  for (auto _ : state) RunVornreg(OwnBoard(), "save");
}

void BM_DiffWithBoard(benchmark::State& state) {
  for (auto _ : state) RunVornreg(OwnBoard(), "diff");
}

void BM_ShowNoBoard(benchmark::State& state) {
  for (auto _ : state) RunVornreg(OwnBoard(), "show");
}

WHOLE_RUN(BM_Save);
WHOLE_RUN(BM_DiffWithBoard);
WHOLE_RUN(BM_ShowNoBoard);

}  // namespace
