// CPU cost of the HAL through the whole stack: the USB bridge variant (bridge lock, packets,
// simulated bridge) next to the driver variants A and B on the simulated mapped bus (bridge lock,
// window ports), on one simulated board in the same run.
#include <unistd.h>

#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "hal/access_log.h"
#include "hal/board_route.h"
#include "hal/hal.h"
#include "hal/hal_state.h"
#include "platform/board_lock.h"
#include "sim/sim_bus.h"
#include "sim/sim_pipe.h"
#include "transport/driver_transport.h"
#include "transport/usb_transport.h"

namespace {

enum class Bus { kBridge, kMappedA, kMappedB };

// A private simulated board, acquired through the bus a benchmark asks for; removed at exit.
struct SimBoardSession {
  std::string path = "/tmp/vorn-bench-" + std::to_string(getpid()) + ".img";
  Bus bus = Bus::kBridge;
  bool acquired = false;
  void Use(Bus wanted) {
    if (acquired && bus == wanted) return;
    Release();
    BoardRoute route;
    route.target = path;
    route.quiet = true;
    if (wanted == Bus::kBridge) {
      route.pipes = &SimPipes;
    } else {
      route.window = &SimBusWindow;
      route.hclGiven = true;
      route.hcl = wanted == Bus::kMappedA ? 0x0800 : 0x0000;
    }
    halSetBoardRoute(route);
    acquired = qvAcquireController() == 1;
    bus = wanted;
  }
  void Release() {
    UsbTransportClose();
    DriverClose();
    Hal = HalState{};
    acquired = false;
  }
  ~SimBoardSession() {
    Release();
    unlink(path.c_str());
  }
};

SimBoardSession& Session(Bus bus) {
  static SimBoardSession session;
  session.Use(bus);
  return session;
}

// One register read: the index and data ports on the mapped bus, a request and its reply on the
// bridge.
void BM_RegisterRoundTrip(benchmark::State& state, Bus bus) {
  if (!Session(bus).acquired) state.SkipWithError("no board");
  for (auto _ : state) benchmark::DoNotOptimize(qvReadReg16(0x0208));
}
BENCHMARK_CAPTURE(BM_RegisterRoundTrip, bridge, Bus::kBridge);
BENCHMARK_CAPTURE(BM_RegisterRoundTrip, mapped_bus_A, Bus::kMappedA);
BENCHMARK_CAPTURE(BM_RegisterRoundTrip, mapped_bus_B, Bus::kMappedB);

// The same with the bridge lock held around the loop, so that each read takes it again without
// waiting: the cost of the way to the board apart from the lock's own.
void BM_RegisterRoundTripLockHeld(benchmark::State& state, Bus bus) {
  if (!Session(bus).acquired) state.SkipWithError("no board");
  BridgeLockHold hold;
  for (auto _ : state) benchmark::DoNotOptimize(qvReadReg16(0x0208));
}
BENCHMARK_CAPTURE(BM_RegisterRoundTripLockHeld, bridge, Bus::kBridge);
BENCHMARK_CAPTURE(BM_RegisterRoundTripLockHeld, mapped_bus_A, Bus::kMappedA);
BENCHMARK_CAPTURE(BM_RegisterRoundTripLockHeld, mapped_bus_B, Bus::kMappedB);

// 1 MiB of display memory in one block write (with the wait for the bus on the mapped bus).
void BM_BlockWrite1MiB(benchmark::State& state, Bus bus) {
  if (!Session(bus).acquired) state.SkipWithError("no board");
  std::vector<uint16_t> words(1u << 19, 0x5A5A);
  for (auto _ : state) qvBurstWriteMemory16(0, words.data(), static_cast<uint32_t>(words.size()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (1 << 20));
}
BENCHMARK_CAPTURE(BM_BlockWrite1MiB, bridge, Bus::kBridge)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BlockWrite1MiB, mapped_bus_A, Bus::kMappedA)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BlockWrite1MiB, mapped_bus_B, Bus::kMappedB)->Unit(benchmark::kMillisecond);

void BM_ReadMemory16(benchmark::State& state) {
  Session(Bus::kBridge);
  uint32_t address = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(qvReadMemory16(address));
    address = (address + 2) & 0xFFFF;
  }
}
BENCHMARK(BM_ReadMemory16);

void BM_WriteMemory16(benchmark::State& state) {
  Session(Bus::kBridge);
  uint32_t address = 0;
  for (auto _ : state) {
    qvWriteMemory16(address, address);
    address = (address + 2) & 0xFFFF;
  }
}
BENCHMARK(BM_WriteMemory16);

void BM_FillMemory32OneMiB(benchmark::State& state) {
  Session(Bus::kBridge);
  for (auto _ : state) qvFillMemory32(0, 0x12345678, 0x40000);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (1 << 20));
}
BENCHMARK(BM_FillMemory32OneMiB)->Unit(benchmark::kMillisecond);

// A register write on the simulated board, without and with the access log (on /dev/null).
void BM_WriteReg16(benchmark::State& state) {
  Session(Bus::kBridge);
  bool logged = state.range(0) != 0;
  if (logged) qvSetDebugLog("w:/dev/null");
  uint32_t value = 0;
  for (auto _ : state) qvWriteReg16(0x44, value++);
  EndAccessLog();
}
BENCHMARK(BM_WriteReg16)->ArgName("log")->Arg(0)->Arg(1);

}  // namespace
