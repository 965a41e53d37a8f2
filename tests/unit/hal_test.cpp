// The HAL's bridge variant against the simulated board: the packets each operation sends and
// what it does to the board.
#include "hal/hal.h"

#include <unistd.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hal/hal_state.h"
#include "hal/hcl_data.h"
#include "platform/assert.h"
#include "platform/timing.h"
#include "sim/sim_pipe.h"
#include "test_support.h"
#include "transport/usb_transport.h"

namespace {

// A packet as the bridge received it.
struct Packet {
  uint8_t type;
  uint32_t address;
  uint8_t device;
  uint32_t count;
  std::vector<uint8_t> data;
};

std::vector<Packet> Sent;

int RecordingSend(int pipe, const uint8_t* data, size_t len) {
  if (pipe == kPacketPipe && len >= kPacketHeaderSize && data[0] != kPacketConfig) {
    Sent.push_back({data[0], uint32_t{data[2]} | data[3] << 8 | data[4] << 16, data[5],
                    uint32_t{data[6]} | data[7] << 8,
                    std::vector<uint8_t>(data + kPacketHeaderSize, data + len)});
  }
  return SimPipes.send(pipe, data, len);
}

// The simulated bridge, with every packet recorded on its way.
const PipeOps RecordingPipes = {"recording",      SimPipes.open,  SimPipes.pipeInfo,  RecordingSend,
                                SimPipes.receive, SimPipes.close, SimPipes.errorName, nullptr,
                                nullptr,          SimPipes.reset};

int Assertions = 0;
int AnswerContinue() {
  Assertions++;
  return 'n';
}

class BridgeHal : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = "/tmp/vorn-hal-test-" + std::to_string(getpid()) + ".img";
    unlink(path_.c_str());
    SetAssertResponder(AnswerContinue);
    Assertions = 0;
    ASSERT_TRUE(UsbTransportOpen(&RecordingPipes, path_.c_str(), 0, 2, qvHclData.usbInfo));
    Hal.dispatch = BridgeVariant;
    Hal.windowBase[0] = kBridgeWindowMark;
    Sent.clear();
  }
  void TearDown() override {
    UsbTransportClose();
    Hal = HalState{};
    SetAssertResponder(nullptr);
    unlink(path_.c_str());
  }
  uint8_t* Memory() { return SimBoard()->chip.memory; }

  // The packets after the two register writes that set the memory address.
  std::vector<Packet> PortPackets() const {
    EXPECT_GE(Sent.size(), 2u);
    return std::vector<Packet>(Sent.begin() + 2, Sent.end());
  }

 private:
  std::string path_;
};

TEST_F(BridgeHal, ByteAccessesTakeAndKeepTheHalvesOfThePortWord) {
  Memory()[0x100] = 0x11;
  Memory()[0x101] = 0x22;
  EXPECT_EQ(qvReadMemory8(0x100), 0x11u);
  EXPECT_EQ(qvReadMemory8(0x101), 0x22u);
  EXPECT_EQ(qvReadMemory16(0x100), 0x2211u);
  qvWriteMemory16(0x20, 0xBBAA);
  qvWriteMemory8(0x21, 0xCC);
  qvWriteMemory8(0x22, 0xDD);
  EXPECT_EQ(Assertions, 0);
  EXPECT_EQ(Memory()[0x20], 0xAA);
  EXPECT_EQ(Memory()[0x21], 0xCC);
  EXPECT_EQ(Memory()[0x22], 0xDD);
}

TEST_F(BridgeHal, MemoryAddressIsSetHighWordFirstWithTheReadFlag) {
  qvReadMemory16(0x12346);
  ASSERT_EQ(Sent.size(), 3u);
  EXPECT_EQ(Sent[0].address, 0x0184u);
  EXPECT_EQ(Sent[0].data, (std::vector<uint8_t>{0x01, 0x00}));
  EXPECT_EQ(Sent[1].address, 0x0182u);
  EXPECT_EQ(Sent[1].data, (std::vector<uint8_t>{0x47, 0x23}));  // bit 0: read cycle
  EXPECT_EQ(Sent[2].type, kPacketReadRequest);
  EXPECT_EQ(Sent[2].address, 0x018Du);  // the port, read address
  EXPECT_EQ(Sent[2].count, 2u);
  EXPECT_EQ(Sent[2].device, 2u);
}

TEST_F(BridgeHal, OddByteBurstsSplitAroundOneBlock) {
  for (int i = 0; i < 16; i++) Memory()[0x200 + i] = static_cast<uint8_t>(0xA0 + i);
  // An odd start reads one word for its high byte, then a block; an odd end reads the block, then
  // one word for its low byte.
  struct Row {
    uint32_t start;
    uint32_t counts[2];  // of the two port reads
  };
  for (const Row& row : {Row{0x201, {2, 4}}, Row{0x200, {4, 2}}}) {
    Sent.clear();
    uint8_t bytes[5] = {};
    qvBurstReadMemory8(row.start, bytes, 5);
    auto p = PortPackets();
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].count, row.counts[0]);
    EXPECT_EQ(p[1].count, row.counts[1]);
    for (uint32_t i = 0; i < 5; i++) EXPECT_EQ(bytes[i], 0xA0 + (row.start & 1) + i) << i;
  }
}

TEST_F(BridgeHal, ByteFillOfOddCountAssertsThenFillsWholeWords) {
  std::memset(Memory(), 0xEE, 16);
  qvFillMemory8(0, 0x5A, 7);
  EXPECT_EQ(Assertions, 1);
  for (int i = 0; i < 6; i++) EXPECT_EQ(Memory()[i], 0x5A) << i;
  EXPECT_EQ(Memory()[6], 0xEE);
  auto p = PortPackets();
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0].count, 6u);
}

TEST_F(BridgeHal, LongRegistersMustNotCrossTheHighByte) {
  qvReadReg32(0x00FC);
  EXPECT_EQ(Assertions, 0);
  ASSERT_EQ(Sent.size(), 1u);
  EXPECT_EQ(Sent[0].address, 0x00FDu);
  EXPECT_EQ(Sent[0].count, 4u);
  qvReadReg32(0x00FE);
  EXPECT_EQ(Assertions, 1);
  qvWriteReg16(0x0041, 1);
  EXPECT_EQ(Assertions, 2);
}

TEST_F(BridgeHal, ByteBurstWritesKeepMemoryOrderAndMergeOddEnds) {
  const uint8_t bytes[] = {0x11, 0x22, 0x33, 0x44, 0x55};
  qvBurstWriteMemory8(0x10, bytes, 2);
  auto p = PortPackets();
  ASSERT_EQ(p.size(), 1u);
  EXPECT_EQ(p[0].data, (std::vector<uint8_t>{0x11, 0x22}));  // the word 2211h
  EXPECT_EQ(qvReadMemory16(0x10), 0x2211u);
  uint8_t back[5] = {};
  qvWriteMemory16(0x20, 0xAAAA);
  qvWriteMemory16(0x26, 0xBBBB);
  qvBurstWriteMemory8(0x21, bytes, 5);  // odd start and odd end: both neighbours kept
  EXPECT_EQ(Assertions, 0);
  qvBurstReadMemory8(0x21, back, 5);
  EXPECT_EQ(std::vector<uint8_t>(back, back + 5), std::vector<uint8_t>(bytes, bytes + 5));
  EXPECT_EQ(Memory()[0x20], 0xAA);
  EXPECT_EQ(Memory()[0x26], 0xBB);
}

TEST_F(BridgeHal, RectangleWritesLandOnTheirLines) {
  const uint16_t words[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  qvBurstWriteRectMemory16(0x1000, words, 8, 4, 16);
  for (int i = 0; i < 4; i++) {
    EXPECT_EQ(qvReadMemory16(0x1000 + 2 * i), static_cast<uint32_t>(i + 1)) << i;
    EXPECT_EQ(qvReadMemory16(0x1020 + 2 * i), static_cast<uint32_t>(i + 5)) << i;
  }
  EXPECT_EQ(qvReadMemory16(0x1008), 0u);  // past the line's width
  uint16_t back[8] = {};
  qvBurstReadRectMemory16(0x1000, back, 8, 4, 16);
  EXPECT_EQ(std::vector<uint16_t>(back, back + 8), std::vector<uint16_t>(words, words + 8));
}

TEST_F(BridgeHal, WindowImageStartsAtTheRotatedFirstPixel) {
  const uint16_t image[8] = {};
  qvLcdDrawWindowImage(0, 2, 1, 4, 2, 320, 0, false, image);
  bool found = false;
  for (const Packet& p : Sent) {
    if (p.address == 0x0182 && p.count == 4) {
      found = true;
      EXPECT_EQ(p.data, (std::vector<uint8_t>{0x84, 0x02, 0x00, 0x00}));  // 2 * 322 = 644
    }
  }
  EXPECT_TRUE(found);
  EXPECT_EQ(Assertions, 0);
}

TEST_F(BridgeHal, LutEntriesRoundTripPerTable) {
  const uint8_t lcd[3] = {0x12, 0x34, 0x56};
  const uint8_t pip[3] = {0xAB, 0xCD, 0xEF};
  qvLcdSetGammaTableEntry(5, lcd, 0);
  qvLcdSetGammaTableEntry(5, pip, kPip2LutWindow);
  EXPECT_EQ(qvLcdGetGammaTableEntry(5, 0), 0x563412u);
  EXPECT_EQ(qvLcdGetGammaTableEntry(5, kPip2LutWindow), 0xEFCDABu);
  qvLcdSetGammaRamp(0);
  EXPECT_EQ(qvLcdGetGammaTableEntry(200, 0), 0xC8C8C8u);
  // One 32-bit write of 00RRGGBBh gives the port green and blue first, then red, as INIT's ramp
  // writes it: red and blue stay apart.
  qvWriteReg16(0x0500, 7);
  qvWriteReg32(0x0502, 0x00112233);
  EXPECT_EQ(qvLcdGetGammaTableEntry(7, 0), 0x332211u);  // red 11h, green 22h, blue 33h
}

TEST_F(BridgeHal, LutRangesAreChecked) {
  uint8_t entries[7 * 4] = {};
  qvLcdSetGammaTable(250, entries, 6, 0);
  EXPECT_EQ(Assertions, 0);
  qvLcdSetGammaTable(250, entries, 7, 0);
  EXPECT_EQ(Assertions, 1);
  qvLcdGetGammaTableEntry(256, 0);
  EXPECT_EQ(Assertions, 2);
}

TEST_F(BridgeHal, AcquiringAgainTouchesNothing) {
  EXPECT_EQ(qvAcquireController(), 1);
  EXPECT_TRUE(Sent.empty());
}

TEST_F(BridgeHal, TraceLinesFollowRegisterWrites) {
  qvSetDebug(true);
  StartCapture();
  qvWriteReg16(0x0040, 0x2B);
  qvWriteReg8(0x0041, 0x7);
  qvWriteReg32(0x0240, 0x12345678);
  qvModifyReg16(0x0040, 0xFF, 1);  // modify is never traced
  EXPECT_EQ(Captured(), "   HAL [0040] W:002B\n   HAL [0041] W:07\n   HAL [0240] W:12345678\n");
  EXPECT_TRUE(qvSetDebug(false));
}

// ---- initialisation, with records handed over through the HAL's record seam ----

class InitHal : public BridgeHal {
 protected:
  void SetUp() override {
    BridgeHal::SetUp();
    record_ = std::make_unique<QvHclData>(qvHclData);
  }
  void TearDown() override {
    halSetRecord(nullptr);
    BridgeHal::TearDown();
  }
  QvHclData& Record() { return *record_; }
  void SetRegisterTable(std::vector<HclRegPair> pairs) {
    pairs.push_back({kRegTableEnd, 0});
    for (size_t i = 0; i < pairs.size(); i++) record_->regTable[i] = pairs[i];
  }
  void SetSequence(std::vector<uint32_t> entries) {
    for (size_t i = 0; i < entries.size(); i++) record_->panelSequence[i] = entries[i];
  }
  // Runs the initialisation on the test's record with its CRC made right (unless kept as it is)
  // and gives the lines it printed.
  std::string Init(uint32_t flags, bool keepCrc = false) {
    if (!keepCrc) record_->crc = ComputeHclCrc(*record_);
    halSetRecord(record_.get());
    Sent.clear();
    StartCapture();
    result_ = qvInitializeController(flags);
    return Captured();
  }
  // The values written to one register, in order.
  std::vector<uint32_t> WritesTo(uint32_t index) const {
    std::vector<uint32_t> values;
    for (const Packet& p : Sent) {
      if (p.type != kPacketWrite || p.address != index || p.data.size() != 2) continue;
      values.push_back(p.data[0] | p.data[1] << 8);
    }
    return values;
  }
  uint32_t LutEntry(int lut, int i) {
    const uint8_t* e = SimBoard()->chip.lut[lut][i];
    return uint32_t{e[0]} << 16 | e[1] << 8 | e[2];
  }

  int result_ = 0;
  std::unique_ptr<QvHclData> record_;
};

TEST_F(InitHal, RecordChecksFailBeforeAnythingIsSentOrPrinted) {
  struct Row {
    const char* name;
    uint16_t crcChange;  // added to the right CRC; kZeroCrc stores 0
    bool acquired;
    uint32_t flags;
    uint32_t error;
  };
  constexpr uint16_t kZeroCrc = 0xFFFF;
  const Row rows[] = {
      {"stored CRC 0", kZeroCrc, true, 0, kHalNotConfigured},
      {"wrong CRC", 1, true, 0, kHalCrcMismatch},
      {"not acquired", 0, false, 0, kHalNotAcquired},
      {"ONLY mode skips the check", 1, true, kInitOnlyRegs, kHalOk},
      {"unless asked to check", 1, true, kInitOnlyRegs | kInitCheckInOnlyMode, kHalCrcMismatch},
      {"the skip flag", kZeroCrc, true, kInitSkipCheck | kInitNoVram, kHalOk},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const uint16_t right = ComputeHclCrc(Record());
    Record().crc = row.crcChange == kZeroCrc ? 0 : static_cast<uint16_t>(right + row.crcChange);
    Hal.windowBase[0] = row.acquired ? kBridgeWindowMark : 0;
    const std::string lines = Init(row.flags, true);
    EXPECT_EQ(qvGetLastError(nullptr, 0), row.error);
    EXPECT_EQ(result_, row.error == kHalOk ? 1 : 0);
    if (row.error != kHalOk) {
      EXPECT_EQ(lines, "");
      EXPECT_TRUE(Sent.empty());
    }
  }
}

TEST_F(InitHal, CompiledInRecordWithFlagsZero) {
  std::memset(Memory() + 0x80000, 0xAB, 16);
  SimBoard()->chip.lut[0][64][0] = 0x77;
  halSetRecord(nullptr);
  Sent.clear();
  StartCapture();
  EXPECT_EQ(qvInitializeController(0), 1);
  EXPECT_EQ(Captured(),
            "   List of HCL Initialization Events:\n"
            "   - Software Reset NOT issued!\n"
            "   - Registers initialized as per configured settings.\n"
            "   - Did NOT send Panel Interface Commands to panel!\n"
            "   - LUT initialized (Regs 2000h-25FFh).\n"
            "   - All video memory cleared to 00h.\n");
  EXPECT_TRUE(WritesTo(0x0016).empty());
  EXPECT_EQ(Memory()[0x80000], 0);
  // The ramp in both tables: red and blue reach 255 at entry 31, green at 63; 64 on untouched.
  for (int lut = 0; lut < 2; lut++) {
    EXPECT_EQ(LutEntry(lut, 12), 0x623062u);
    EXPECT_EQ(LutEntry(lut, 31), 0xFF7DFFu);
    EXPECT_EQ(LutEntry(lut, 63), 0xFFFFFFu);
  }
  EXPECT_EQ(SimBoard()->chip.lut[0][64][0], 0x77);
  // Every register of the table holds its value.
  std::map<uint32_t, uint32_t> last;
  for (const HclRegPair& pair : qvHclData.regTable) {
    if (pair.index == kRegTableEnd) break;
    if (pair.index < kRegTableSkipFirst) last[pair.index] = pair.value;
  }
  EXPECT_EQ(last.size(), 94u);
  for (const auto& [index, value] : last) {
    EXPECT_EQ(SimBoard()->chip.regs[index / 2], value) << std::hex << index;
  }
}

TEST_F(InitHal, RegisterTableEntryKinds) {
  SetRegisterTable({{kRegTableEnd, 0}, {0x0040, 1}});
  EXPECT_EQ(Init(kInitOnlyRegs),
            "   List of HCL Initialization Events:\n"
            "   - Software Reset NOT issued!\n"
            "   - Registers initialized as per configured settings.\n"
            "   - Did NOT send Panel Interface Commands to panel!\n"
            "   - LUT NOT initialized!\n"
            "   - Video memory NOT cleared!\n");
  EXPECT_TRUE(Sent.empty());
  // FFF5h is passed over without waiting; FFFDh waits its value in microseconds.
  SetRegisterTable({{0xFFF5, 60000}, {0x0040, 2}});
  uint64_t start = MonotonicNanoseconds();
  Init(kInitOnlyRegs);
  EXPECT_LT(MonotonicNanoseconds() - start, 50'000'000u);
  EXPECT_EQ(WritesTo(0x0040), std::vector<uint32_t>{2});
  EXPECT_EQ(Sent.size(), 1u);
  SetRegisterTable({{kRegTablePowerOffDelay, 20000}, {0x0042, 3}});
  start = MonotonicNanoseconds();
  Init(kInitOnlyRegs);
  EXPECT_GE(MonotonicNanoseconds() - start, 20'000'000u);
  EXPECT_EQ(WritesTo(0x0042), std::vector<uint32_t>{3});
}

TEST_F(InitHal, ResetIsIssuedOnlyWhenNeitherFlagNorRecordForbidIt) {
  Record().hclFlags &= ~qvfNO_RESET;
  SimBoard()->chip.regs[0x0040 / 2] = 0x0077;
  EXPECT_EQ(Init(kInitOnlyReset),
            "   List of HCL Initialization Events:\n"
            "   - Software reset issued (Reg 0460).\n"
            "   - 500us delay after software reset.\n"
            "   - Registers NOT initialized!\n"
            "   - Did NOT send Panel Interface Commands to panel!\n"
            "   - LUT NOT initialized!\n"
            "   - Video memory NOT cleared!\n");
  EXPECT_EQ(WritesTo(0x0016), std::vector<uint32_t>{0xFFFF});
  EXPECT_EQ(SimBoard()->chip.regs[0x0040 / 2], 0x0001);  // LCD_HT back at its reset value
  EXPECT_NE(Init(kInitNoReset | kInitNoRegs | kInitNoLut | kInitNoVram).find("Reset NOT issued"),
            std::string::npos);
  EXPECT_TRUE(WritesTo(0x0016).empty());
}

TEST_F(InitHal, PanelSequenceGoesOutOnlyThroughAPanelInterface) {
  SetSequence({kSeqCommand | 0x2A, kSeqParameter | 0x01, kSeqDelayMs | 1, kSeqKindId | 5});
  std::string lines = Init(kInitOnlyLcds);
  EXPECT_NE(lines.find("   - Did NOT send Panel Interface Commands to panel!\n"
                       "   - WARNING: the 77Q41 has no panel command interface to send them "
                       "through.\n"),
            std::string::npos);
  EXPECT_TRUE(Sent.empty());
  std::memcpy(Record().chipId, "77K50", 6);
  lines = Init(kInitOnlyLcds);
  EXPECT_EQ(WritesTo(0x0034), std::vector<uint32_t>{0x2A});
  EXPECT_EQ(WritesTo(0x0036), std::vector<uint32_t>{0x01});
  EXPECT_NE(lines.find("   - WARNING: panel sequence entry 3 (50000005h) has no sending rule; "
                       "skipped.\n"
                       "   - Sent Panel Interface Commands to panel as per configured settings.\n"),
            std::string::npos);
}

TEST_F(InitHal, LutProgrammingIsNeverTraced) {
  qvSetDebug(true);
  const std::string lines = Init(kInitOnlyLut);
  EXPECT_NE(lines.find("   HAL [Init LUT]\n   - LUT initialized"), std::string::npos);
  EXPECT_EQ(lines.find("W:"), std::string::npos);
  EXPECT_TRUE(qvSetDebug(false));
}

TEST(HalDispatch, EveryVariantFillsEverySlot) {
  for (const HalDispatch* table : {&BridgeVariant, &BusVariantA, &BusVariantB}) {
    auto slots = reinterpret_cast<void (*const*)()>(table);
    for (size_t i = 0; i < kHalDispatchSlots; i++) EXPECT_NE(slots[i], nullptr) << "slot " << i;
  }
  EXPECT_NE(BusVariantA.readReg16, BusVariantB.readReg16);
}

TEST(HalErrors, LastErrorTexts) {
  Hal.lastError = kHalNoController;
  char text[80];
  EXPECT_EQ(qvGetLastError(text, sizeof text), 2u);
  EXPECT_STREQ(text, "ERROR: Unable to locate an QDX77xxx controller");
  EXPECT_EQ(qvGetLastError(nullptr, 0), 2u);
  Hal.lastError = kHalOk;
  qvGetLastError(text, sizeof text);
  EXPECT_STREQ(text, "There was no error detected");
  char small[8];
  Hal.lastError = kHalCrcMismatch;
  qvGetLastError(small, sizeof small);
  EXPECT_STREQ(small, "ERROR: ");
  Hal = HalState{};
}

}  // namespace
