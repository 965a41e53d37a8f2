// CPU cost of the memory path through the whole stack: HAL, bridge lock, packets, simulated
// board.
#include <unistd.h>

#include <string>

#include <benchmark/benchmark.h>

#include "hal/access_log.h"
#include "hal/hal.h"
#include "hal/hal_state.h"
#include "hal/hcl_data.h"
#include "sim/sim_pipe.h"
#include "transport/usb_transport.h"

namespace {

// Opens a private simulated board for the run's lifetime.
struct SimBoardSession {
  std::string path = "/tmp/vorn-bench-" + std::to_string(getpid()) + ".img";
  SimBoardSession() {
    UsbTransportOpen(&SimPipes, path.c_str(), 0, 2, qvHclData.usbInfo);
    Hal.dispatch = BridgeVariant;
    Hal.windowBase[0] = kBridgeWindowMark;
  }
  ~SimBoardSession() {
    UsbTransportClose();
    unlink(path.c_str());
  }
};

SimBoardSession& Session() {
  static SimBoardSession session;
  return session;
}

void BM_ReadMemory16(benchmark::State& state) {
  Session();
  uint32_t address = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(qvReadMemory16(address));
    address = (address + 2) & 0xFFFF;
  }
}
BENCHMARK(BM_ReadMemory16);

void BM_WriteMemory16(benchmark::State& state) {
  Session();
  uint32_t address = 0;
  for (auto _ : state) {
    qvWriteMemory16(address, address);
    address = (address + 2) & 0xFFFF;
  }
}
BENCHMARK(BM_WriteMemory16);

void BM_FillMemory32OneMiB(benchmark::State& state) {
  Session();
  for (auto _ : state) qvFillMemory32(0, 0x12345678, 0x40000);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (1 << 20));
}
BENCHMARK(BM_FillMemory32OneMiB)->Unit(benchmark::kMillisecond);

// A register write on the simulated board, without and with the access log (on /dev/null).
void BM_WriteReg16(benchmark::State& state) {
  Session();
  bool logged = state.range(0) != 0;
  if (logged) qvSetDebugLog("w:/dev/null");
  uint32_t value = 0;
  for (auto _ : state) qvWriteReg16(0x44, value++);
  EndAccessLog();
}
BENCHMARK(BM_WriteReg16)->ArgName("log")->Arg(0)->Arg(1);

}  // namespace
