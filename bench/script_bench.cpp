// A counting loop run as a whole program, next to the same loop in bash: fork, exec, wait.
//   vorn: WHILE $i<100000t DO SET $i $i+1   (in a script, with SET's echo off)
//   bash: i=0; while [ $i -lt 100000 ]; do i=$((i+1)); done
#include "whole_run.h"

namespace {

constexpr const char* kScript =
    "VERBOSE CMD:OFF SET:OFF\n"
    "set $i 0\n"
    "WHILE $i<100000t DO SET $i $i+1\n"
    "IF $i!=100000t nosuch\n";

// A directory holding the loop script, made once.
struct LoopDir : bench::TempDir {
  LoopDir() : TempDir("vorn-script-bench") { Write("loop.txt", kScript); }
};
const bench::TempDir& ScriptDir() {
  static const LoopDir dir;
  return dir;
}

void BM_VornWhileLoop(benchmark::State& state) {
  for (auto _ : state) {
    if (bench::RunQuiet({VORN_BINARY, "/nocard", "loop"}, ScriptDir().path) != 0)
      state.SkipWithError("the loop script failed");
  }
}

void BM_BashWhileLoop(benchmark::State& state) {
  for (auto _ : state) {
    if (bench::RunQuiet({"/bin/bash", "-c", "i=0; while [ $i -lt 100000 ]; do i=$((i+1)); done"}) !=
        0)
      state.SkipWithError("bash failed");
  }
}

WHOLE_RUN(BM_VornWhileLoop);
WHOLE_RUN(BM_BashWhileLoop);

}  // namespace
