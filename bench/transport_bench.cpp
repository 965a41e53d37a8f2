// The USB transport on the simulated board: 1 MiB block writes and reads of display memory,
// set against memcpy of the same size, and the round trip of one 2-byte register read, without
// and with the bridge claimed for each hold of the lock.
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/board_lock.h"
#include "sim/sim_pipe.h"
#include "transport/usb_transport.h"

namespace {

constexpr uint32_t kBlock = 1u << 20;
constexpr uint8_t kChip = 2;

// One board file for the whole run, removed at exit.
struct BenchBoard {
  std::string path;
  BenchBoard() {
    path = "/tmp/vorn-bench-board-" + std::to_string(getpid()) + ".img";
    const uint8_t usbInfo[6] = {0x41, 0x55, 0xAA, 0x5F, 0xAA, 0xAA};
    if (!UsbTransportOpen(&SimPipes, path.c_str(), 0, kChip, usbInfo)) std::abort();
  }
  ~BenchBoard() {
    UsbTransportClose();
    unlink(path.c_str());
  }
};

void OpenBoard() {
  static BenchBoard board;
}

// memcpy bandwidth in bytes per second, measured once in this run.
double MemcpyBandwidth() {
  static double bandwidth = [] {
    std::vector<uint8_t> from(kBlock, 1), to(kBlock);
    auto start = std::chrono::steady_clock::now();
    int rounds = 0;
    for (; std::chrono::steady_clock::now() - start < std::chrono::milliseconds(200); rounds++) {
      std::memcpy(to.data(), from.data(), kBlock);
      benchmark::DoNotOptimize(to.data());
      benchmark::ClobberMemory();
    }
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return rounds * double(kBlock) / took.count();
  }();
  return bandwidth;
}

void SetMemoryAddress(uint32_t address, bool read) {
  UsbSingleWrite(0x0184, 2, kChip, address >> 16);
  UsbSingleWrite(0x0182, 2, kChip, (address & 0xFFFE) | (read ? 1 : 0));
}

// Bandwidth of the loop as a fraction of memcpy's; the goal is at least 0.25.
void ReportAgainstMemcpy(benchmark::State& state, std::chrono::steady_clock::time_point start) {
  std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  state.SetBytesProcessed(int64_t(state.iterations()) * kBlock);
  double bandwidth = double(state.iterations()) * kBlock / took.count();
  state.counters["vs_memcpy"] = bandwidth / MemcpyBandwidth();
}

void BM_Memcpy1MiB(benchmark::State& state) {
  std::vector<uint8_t> from(kBlock, 1), to(kBlock);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), kBlock);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * kBlock);
}
BENCHMARK(BM_Memcpy1MiB);

void BM_SimBlockWrite1MiB(benchmark::State& state) {
  OpenBoard();
  std::vector<uint8_t> data(kBlock, 0x5A);
  MemcpyBandwidth();
  auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    BridgeLockHold hold;
    SetMemoryAddress(0, false);
    if (!UsbBlockWrite(0x018C, kBlock, kChip, data.data())) state.SkipWithError("write failed");
  }
  ReportAgainstMemcpy(state, start);
}
BENCHMARK(BM_SimBlockWrite1MiB);

void BM_SimBlockRead1MiB(benchmark::State& state) {
  OpenBoard();
  std::vector<uint8_t> data(kBlock);
  MemcpyBandwidth();
  auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    BridgeLockHold hold;
    SetMemoryAddress(0, true);
    if (UsbBlockRead(0x018D, kBlock, kChip, data.data()) != kBlock) {
      state.SkipWithError("read failed");
    }
  }
  ReportAgainstMemcpy(state, start);
}
BENCHMARK(BM_SimBlockRead1MiB);

// As the HAL does it: one hold of the bridge lock around the request and its reply.
void BM_SimSingleRead16(benchmark::State& state) {
  OpenBoard();
  uint32_t value = 0;
  for (auto _ : state) {
    BridgeLockHold hold;
    UsbSingleRead(0x0209, 2, kChip, &value);
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(BM_SimSingleRead16)->MeasureProcessCPUTime();

// The same read on a bridge that, like the real one, is claimed for each hold of the lock and
// released after it: what the sharing adds to a register access on VORN's side. The kernel's part
// (the two usbfs requests, and the setting of the pipes chosen again) needs a real bridge.
int Claims = 0;
PipeOps ClaimingPipes() {
  PipeOps pipes = SimPipes;
  pipes.claim = [](std::string*) {
    Claims++;
    return 0;
  };
  pipes.release = [] {};
  return pipes;
}
const PipeOps kClaimingPipes = ClaimingPipes();

void BM_SimSingleRead16ClaimedPerHold(benchmark::State& state) {
  OpenBoard();
  const PipeOps* plain = UsbTransport.pipes;
  UsbTransport.pipes = &kClaimingPipes;
  Claims = 0;
  uint32_t value = 0;
  for (auto _ : state) {
    UsbHold hold;
    UsbSingleRead(0x0209, 2, kChip, &value);
    benchmark::DoNotOptimize(value);
  }
  UsbTransport.pipes = plain;
  state.counters["claims_per_read"] = double(Claims) / double(state.iterations());
}
BENCHMARK(BM_SimSingleRead16ClaimedPerHold)->MeasureProcessCPUTime();

}  // namespace
