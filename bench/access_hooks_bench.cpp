// What the public register layer adds to an access: nothing measurable with no breakpoints and
// no log, and the cost of recording with the log on. The variant's entry is a stub, so only the
// public layer is timed; the same pair on the simulated board is in hal_bench.
#include <benchmark/benchmark.h>

#include "hal/access_log.h"
#include "hal/hal.h"
#include "hal/hal_state.h"

namespace {

volatile uint32_t Sink;
void StubWrite(uint32_t index, uint32_t value) {
  Sink = index ^ value;
}

// The stub as the variant's entry for the benchmark's lifetime; the log (on /dev/null) when asked.
struct StubbedHal {
  explicit StubbedHal(const char* log) {
    Hal.dispatch.writeReg16 = StubWrite;
    if (log != nullptr) qvSetDebugLog(log);
  }
  ~StubbedHal() {
    EndAccessLog();
    Hal = HalState{};
  }
};

void BM_WriteReg16StubAlone(benchmark::State& state) {
  StubbedHal hal(nullptr);
  uint32_t value = 0;
  for (auto _ : state) Hal.dispatch.writeReg16(0x44, value++ & 0xFFFF);
}
BENCHMARK(BM_WriteReg16StubAlone);

void BM_WriteReg16NoHooks(benchmark::State& state) {
  StubbedHal hal(nullptr);
  uint32_t value = 0;
  for (auto _ : state) qvWriteReg16(0x44, value++);
}
BENCHMARK(BM_WriteReg16NoHooks);

// Every write a new event; the log is emptied, untimed, before it fills.
void BM_WriteReg16Logged(benchmark::State& state) {
  StubbedHal hal("w:/dev/null");
  uint32_t value = 0;
  for (auto _ : state) {
    qvWriteReg16(0x44, value++);
    if (AccessLogEvents() == kMaxLogEvents - 1) {
      state.PauseTiming();
      ClearAccessLog();
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_WriteReg16Logged);

// The same write again only counts a repeat.
void BM_WriteReg16LoggedRepeat(benchmark::State& state) {
  StubbedHal hal("w:/dev/null");
  for (auto _ : state) qvWriteReg16(0x44, 1);
}
BENCHMARK(BM_WriteReg16LoggedRepeat);

}  // namespace
