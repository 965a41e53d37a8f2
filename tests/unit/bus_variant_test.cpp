// The driver variants A and B on the simulated board's mapped-bus window: the port accesses of
// each operation under every bus option, what they do to the board, and their assertions.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hal/board_route.h"
#include "hal/hal.h"
#include "hal/hal_state.h"
#include "hal/hcl_data.h"
#include "hal/variant_bus.h"
#include "platform/assert.h"
#include "platform/timing.h"
#include "sim/sim_bus.h"
#include "sim/sim_pipe.h"
#include "sim/window.h"
#include "test_support.h"
#include "transport/driver_transport.h"
#include "transport/usb_transport.h"

namespace {

// Every access of the window as a word: the port ("i" index, "s" status, "d" data, "p" spare),
// the width when it is not 16 bits, and "=value" for writes.
std::vector<std::string> Accesses;

void Note(uint32_t offset, int width, bool write, uint32_t value) {
  static const char* const kPorts[] = {"i", "?", "s", "?", "d", "?", "?", "?", "p"};
  std::string word = offset < 9 ? kPorts[offset] : "@" + std::to_string(offset);
  if (width != 2) word += std::to_string(width * 8);
  char text[16];
  std::snprintf(text, sizeof text, "=%X", value);
  if (write) word += text;
  Accesses.push_back(word);
}

template <int kWidth>
uint32_t RecordRead(uint32_t offset) {
  Note(offset, kWidth, false, 0);
  return kWidth == 1   ? SimBusWindow.read8(offset)
         : kWidth == 2 ? SimBusWindow.read16(offset)
                       : SimBusWindow.read32(offset);
}

template <int kWidth>
void RecordWrite(uint32_t offset, uint32_t value) {
  Note(offset, kWidth, true, value);
  if (kWidth == 1) SimBusWindow.write8(offset, value);
  if (kWidth == 2) SimBusWindow.write16(offset, value);
  if (kWidth == 4) SimBusWindow.write32(offset, value);
}

// The simulated window, with every access recorded on its way.
const BusWindowOps RecordingWindow = {
    "recording",   SimBusWindow.map, SimBusWindow.version, RecordRead<1>,  RecordRead<2>,
    RecordRead<4>, RecordWrite<1>,   RecordWrite<2>,       RecordWrite<4>, SimBusWindow.unmap};

std::string Recorded() {
  std::string text;
  for (const std::string& word : Accesses) text += (text.empty() ? "" : " ") + word;
  Accesses.clear();
  return text;
}

int AnswerContinue() {
  return 'n';
}

class BusVariantTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetAssertResponder(AnswerContinue);
    WindowFault = WindowFaults();
    WindowFault.busyNs = 0;  // one status poll per wait, so that the accesses are exact
  }
  void TearDown() override {
    Release();
    WindowFault = WindowFaults();
    SetAssertResponder(nullptr);
  }
  // Acquires the controller on a fresh board through the recorded window with the given HCL
  // information flags.
  void Acquire(uint32_t flags) {
    Release();
    BoardRoute route;
    route.window = &RecordingWindow;
    route.target = dir_ / "board.img";
    route.hclGiven = true;
    route.hcl = flags;
    halSetBoardRoute(route);
    ASSERT_EQ(qvAcquireController(), 1);
    BoardPowerOn(SimBusBoard());
    Accesses.clear();
  }
  void Release() {
    Hal = HalState{};
    DriverClose();
    UsbTransportClose();
    halSetBoardRoute(BoardRoute());
  }
  uint8_t* Memory() { return SimBusBoard()->chip.memory; }

  TempDir dir_;
};

// Buffers of the burst operations below.
const uint16_t kOneTwo[2] = {1, 2};
uint16_t Words[2];
uint8_t Bytes[2];

struct Sequence {
  const char* name;
  uint32_t flags;
  void (*op)();
  const char* accesses;
};

const Sequence kSequences[] = {
    {"16-bit read, A", 0x0800, [] { qvReadReg16(0x0208); }, "i=209 s d"},
    {"16-bit read, B", 0x0000, [] { qvReadReg16(0x0208); }, "i=209 d"},
    {"16-bit write, A", 0x0800, [] { qvWriteReg16(0x0208, 0x1234); }, "i=208 d=1234 s"},
    {"16-bit write, B", 0x0000, [] { qvWriteReg16(0x0208, 0x1234); }, "i=208 d=1234"},
    {"8-bit read of an odd index", 0x0800, [] { qvReadReg8(0x0209); }, "i=209 s d"},
    {"8-bit write merges into the word, A", 0x0800, [] { qvWriteReg8(0x0209, 0x12); },
     "i=209 d i=208 d=1288 s"},
    {"8-bit write merges into the word, B", 0x0000, [] { qvWriteReg8(0x0208, 0x12); },
     "i=209 d i=208 d=8812"},
    {"32-bit read is two 16-bit reads", 0x0800, [] { qvReadReg32(0x0208); }, "i=209 s d i=20B s d"},
    {"32-bit write is two 16-bit writes", 0x0000, [] { qvWriteReg32(0x0240, 0x12345678); },
     "i=240 d=5678 i=242 d=1234"},
    {"modify is one read and one write", 0x0800, [] { qvModifyReg16(0x0208, 0x00FF, 0x12); },
     "i=209 s d i=208 d=8812 s"},
    {"register burst read, A: a flush before each read", 0x0800,
     [] { qvBurstReadReg16(0x0040, Words, 2); }, "i=41 s d s d"},
    {"register burst read, B", 0x0000, [] { qvBurstReadReg16(0x0040, Words, 2); }, "i=41 d d"},
    {"byte register burst read", 0x0000, [] { qvBurstReadReg8(0x0040, Bytes, 2); }, "i=41 d8 d8"},
    {"register burst write, A: a flush after each write", 0x0800,
     [] { qvBurstWriteReg16(0x0040, kOneTwo, 2); }, "i=40 d=1 s d=2 s"},
    {"a burst into the memory port waits for room", 0x0000,
     [] { qvBurstWriteReg16(0x018C, kOneTwo, 2); }, "s i=18C d=1 d=2"},
    {"not with flag 2000h", 0x2000, [] { qvBurstWriteReg16(0x018C, kOneTwo, 2); }, "i=18C d=1 d=2"},
    {"a memory write waits for the bus", 0x0000, [] { qvWriteMemory16(0x0100, 0xABCD); },
     "i=184 d=0 i=182 d=100 i=18C d=ABCD s"},
    {"no status poll after memory writes with flag 1000h", 0x1000,
     [] { qvWriteMemory16(0x0100, 0xABCD); }, "i=184 d=0 i=182 d=100 i=18C d=ABCD"},
    {"memory write, A: flush reads after the data writes", 0x0800,
     [] { qvWriteMemory16(0x0100, 0xABCD); }, "i=184 d=0 s i=182 d=100 s i=18C d=ABCD s s"},
    {"a memory read waits for the prefetch", 0x0000, [] { qvReadMemory16(0x0100); },
     "i=184 d=0 i=182 d=101 i=18D s d"},
    {"32-bit memory read: two 16-bit accesses", 0x1000, [] { qvReadMemory32(0x0100); },
     "i=184 d=0 i=182 d=101 i=18D d d"},
    {"32-bit memory read with flag 4000h: one 32-bit access", 0x5000,
     [] { qvReadMemory32(0x0100); }, "i=184 d=0 i=182 d=101 i=18D d32"},
    {"32-bit memory write with flag 4000h", 0x5000, [] { qvWriteMemory32(0x0100, 0x11223344); },
     "i=184 d=0 i=182 d=100 i=18C d32=11223344"},
    {"byte fill: odd ends merged into their words", 0x1000, [] { qvFillMemory8(0x0101, 0x5A, 4); },
     "i=184 d=0 i=182 d=101 i=18D d i=184 d=0 i=182 d=100 i=18C d=5A00 "
     "i=184 d=0 i=182 d=102 i=18C d=5A5A "
     "i=184 d=0 i=182 d=105 i=18D d i=184 d=0 i=182 d=104 i=18C d=5A"},
    {"rectangle read: geometry, then the rectangle flag", 0x1000,
     [] { qvBurstReadRectMemory16(0x0100, Words, 2, 1, 2); },
     "i=196 d=0 i=194 d=2 i=184 d=8000 i=182 d=101 i=18D d d"},
    {"slots 38 and 39 reach the spare port", 0x0000,
     [] { Hal.dispatch.writeDataPort(static_cast<uint16_t>(Hal.dispatch.readDataPort() + 1)); },
     "p p=1"},
};

TEST_F(BusVariantTest, PortAccessesOfEachOperation) {
  for (const Sequence& sequence : kSequences) {
    Acquire(sequence.flags);
    sequence.op();
    EXPECT_EQ(Recorded(), sequence.accesses) << sequence.name;
  }
}

// Whatever the variant and options, the board ends up as the bridge would leave it.
TEST_F(BusVariantTest, EveryVariantAndOptionWritesTheSameMemory) {
  for (uint32_t flags : {0x0000u, 0x0800u, 0x1000u, 0x2800u, 0x4000u, 0x7800u}) {
    SCOPED_TRACE(flags);
    Acquire(flags);
    qvWriteMemory16(0x100, 0x1234);
    qvWriteMemory8(0x101, 0x77);  // only the high byte changes
    qvFillMemory8(0x203, 0xEE, 3);
    const uint8_t pairs[] = {0x11, 0x22, 0x33, 0x44};
    qvBurstWriteMemory8(0x300, pairs, 4);  // in memory order, as on the bridge
    qvBurstWriteMemory8(0x501, pairs, 3);  // odd ends merged into their words
    qvWriteMemory32(0x400, 0xAABBCCDD);
    const uint8_t expected100[] = {0x34, 0x77};
    const uint8_t expected202[] = {0x00, 0xEE, 0xEE, 0xEE, 0x00};
    const uint8_t expected300[] = {0x11, 0x22, 0x33, 0x44};
    const uint8_t expected500[] = {0x00, 0x11, 0x22, 0x33, 0x00};
    EXPECT_EQ(0, std::memcmp(Memory() + 0x100, expected100, 2));
    EXPECT_EQ(0, std::memcmp(Memory() + 0x202, expected202, 5));
    EXPECT_EQ(0, std::memcmp(Memory() + 0x300, expected300, 4));
    EXPECT_EQ(0, std::memcmp(Memory() + 0x500, expected500, 5));
    EXPECT_EQ(qvReadMemory32(0x400), 0xAABBCCDDu);
    uint8_t bytes[3];
    qvBurstReadMemory8(0x101, bytes, 3);
    EXPECT_EQ(bytes[0], 0x77);
    EXPECT_EQ(bytes[2], 0x00);
  }
}

TEST_F(BusVariantTest, OddIndicesOfModifySetAndClearAssert) {
  for (uint32_t flags : {0x0000u, 0x0800u}) {
    Acquire(flags);
    StartCapture();
    qvModifyReg16(0x0041, 1, 1);
    qvSetBitsReg16(0x0041, 1);
    qvClearBitsReg16(0x0041, 1);
    EXPECT_EQ(Captured(),
              "ASSERT - qvModifyReg16() Index must be even.\nAbort [Y]: \a\n"
              "ASSERT - qvSetBitsReg16() Index must be even.\nAbort [Y]: \a\n"
              "ASSERT - qvClearBitsReg16() Index must be even.\nAbort [Y]: \a\n");
  }
}

TEST_F(BusVariantTest, WaitsForTheBusEndInAnAssertionWhenItStaysBusy) {
  Acquire(0x0000);
  // The simulated bus stays busy for a while after a memory write, and the wait sits it out.
  WindowFault.busyNs = 3000000;
  uint64_t start = MonotonicNanoseconds();
  qvWriteMemory16(0x100, 1);
  EXPECT_GE(MonotonicNanoseconds() - start, 3000000u);
  WindowFault.busyForever = true;
  start = MonotonicNanoseconds();
  StartCapture();
  qvWriteMemory16(0x100, 1);
  EXPECT_EQ(Captured(),
            "ASSERT - qvWriteMemory16() The bus status port still shows a memory write in "
            "progress after 100 ms.\nAbort [Y]: \a\n");
  EXPECT_GE(MonotonicNanoseconds() - start, kBusWaitMs * 1000000ull);
  WindowFault = WindowFaults();
  WindowFault.portFullForever = true;
  const uint16_t word = 0;
  StartCapture();
  qvBurstWriteReg16(0x018C, &word, 1);
  EXPECT_NE(Captured().find("still shows the memory port full"), std::string::npos);
  // A register wait gives up after its own timeout.
  EXPECT_EQ(qvWaitRegBitsSet16(0x0208, 0x0001, 0, 20), 0);
  EXPECT_EQ(qvWaitRegBitsClear16(0x0208, 0x0001, 0, 20), 1);
}

TEST_F(BusVariantTest, TheFlagsInForceChooseTheVariant) {
  struct Row {
    const BusWindowOps* window;
    const PipeOps* pipes;
    bool hclGiven;
    uint32_t hcl;
    uint32_t inForce;
  };
  for (const Row& row : {Row{&RecordingWindow, nullptr, false, 0, 0x0001},
                         Row{&RecordingWindow, nullptr, true, 0x0C01, 0x0801},
                         Row{nullptr, &SimPipes, true, 0x0800, 0x0C00}}) {
    Release();
    BoardRoute route;
    route.window = row.window;
    route.pipes = row.pipes;
    route.quiet = true;
    route.target = dir_ / "board.img";
    route.hclGiven = row.hclGiven;
    route.hcl = row.hcl;
    halSetBoardRoute(route);
    ASSERT_EQ(qvAcquireController(), 1);
    EXPECT_EQ(halHclFlags(), row.inForce);
  }
  Release();
  EXPECT_EQ(halHclFlags(), qvHclData.hclFlags);  // nothing acquired: the record's
  Acquire(0x0800);
  EXPECT_EQ(Hal.dispatch.readReg16, BusVariantA.readReg16);
  EXPECT_EQ(halHclFlags(), 0x0800u);
  EXPECT_TRUE(qvBarIsMapped(0));
  EXPECT_EQ(qvReadBar16(0, 0), 0u);
  qvWriteBar16(0, 8, 0x5A5A);
  EXPECT_EQ(halReadRaw16(8), 0x5A5Au);  // raw access reaches window 0 at the offset
  EXPECT_FALSE(qvBarInWindow(0, kSimBusWindowSize - 1, 2));
  EXPECT_FALSE(qvBarInWindow(1, 0, 2));
}

}  // namespace
