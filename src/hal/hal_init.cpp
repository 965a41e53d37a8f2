// Initialising the controller from the configuration record: the record check, then the steps
// reset, registers, panel sequence, look-up tables and display memory, one line printed each.
#include <cstdio>
#include <cstring>
#include <iterator>

#include "hal/hal.h"
#include "hal/hal_state.h"
#include "hal/hcl_data.h"
#include "hal/register_table.h"
#include "platform/timing.h"

namespace {

constexpr uint32_t kSoftResetReg = 0x0016;  // SOFT_RESET: any write resets the registers
constexpr uint32_t kResetDelayUs = 500;

// The parallel panel interface of the chips that have one (the 77K50; the 77Q41 has none).
constexpr uint32_t kPanelCommandReg = 0x0034;  // LCD_COMMAND
constexpr uint32_t kPanelParamReg = 0x0036;    // LCD_PARAM
constexpr uint32_t kPanelStatusReg = 0x0038;   // LCD_STATUS: bit 0 busy
constexpr uint16_t kPanelBusy = 0x0001;
constexpr uint32_t kPanelReadyTimeoutMs = 100;
constexpr const char* kPanelInterfaceChips[] = {"77K50"};

struct LutPorts {
  uint32_t counter;
  uint32_t data;
};
constexpr LutPorts kInitLuts[] = {{0x0500, 0x0502}, {0x0400, 0x0402}};  // LCD-LUT, PIP2-LUT
constexpr uint32_t kRampEntries = 64;

constexpr uint32_t kDisplayMemoryWords = 0x40000;  // 1 MiB in 32-bit words

// With any ONLY flag, the steps not named are skipped and the check is made only when asked.
uint32_t EffectiveFlags(uint32_t flags) {
  if ((flags & kInitOnlyFlags) == 0) return flags;
  return (~flags & kInitOnlyFlags) >> 16;
}

// The last error the record check gives, or kHalOk.
uint32_t CheckRecord(const QvHclData& record) {
  if (record.crc == 0) return kHalNotConfigured;
  return record.crc == ComputeHclCrc(record) ? kHalOk : kHalCrcMismatch;
}

void ResetStep(bool skip, const QvHclData&) {
  if (skip || (halHclFlags() & qvfNO_RESET) != 0) {
    std::printf("   - Software Reset NOT issued!\n");
    return;
  }
  qvWriteReg16(kSoftResetReg, 0xFFFF);
  DelayMicroseconds(kResetDelayUs);
  std::printf("   - Software reset issued (Reg 0460).\n");
  std::printf("   - %dus delay after software reset.\n", static_cast<int>(kResetDelayUs));
}

void RegisterStep(bool skip, const QvHclData& record) {
  if (skip) {
    std::printf("   - Registers NOT initialized!\n");
    return;
  }
  WriteRegisterTable(record);
  std::printf("   - Registers initialized as per configured settings.\n");
}

bool HasPanelInterface(const QvHclData& record) {
  for (const char* chip : kPanelInterfaceChips) {
    if (strncmp(record.chipId, chip, sizeof record.chipId) == 0) return true;
  }
  return false;
}

// Sends the sequence entry by entry; false when the interface stays busy and the rest is left.
bool SendPanelSequence(const QvHclData& record) {
  for (uint32_t n = 0; n < kPanelSequenceEntries; n++) {
    const uint32_t entry = record.panelSequence[n];
    if (entry == 0) break;
    const uint32_t kind = entry & kSeqKindMask;
    const uint32_t data = entry & kSeqDataMask;
    if (kind == kSeqDelayMs) {
      SleepMilliseconds(data);
    } else if (kind == kSeqCommand || kind == kSeqParameter) {
      if (!qvWaitRegBitsClear16(kPanelStatusReg, kPanelBusy, 0, kPanelReadyTimeoutMs)) {
        std::printf("   - WARNING: the panel interface stayed busy; entry %u and on not sent.\n",
                    n);
        return false;
      }
      qvWriteReg16(kind == kSeqCommand ? kPanelCommandReg : kPanelParamReg, data);
    } else {
      std::printf("   - WARNING: panel sequence entry %u (%08Xh) has no sending rule; skipped.\n",
                  n, entry);
    }
  }
  return true;
}

void PanelStep(bool skip, const QvHclData& record) {
  constexpr const char* kNotSent = "   - Did NOT send Panel Interface Commands to panel!\n";
  if (skip || record.panelSequence[0] == 0) {
    std::printf("%s", kNotSent);
    return;
  }
  if (!HasPanelInterface(record)) {
    std::printf("%s", kNotSent);
    std::printf("   - WARNING: the %.*s has no panel command interface to send them through.\n",
                static_cast<int>(strnlen(record.chipId, sizeof record.chipId)), record.chipId);
    return;
  }
  if (!SendPanelSequence(record)) {
    std::printf("%s", kNotSent);
    return;
  }
  std::printf("   - Sent Panel Interface Commands to panel as per configured settings.\n");
}

// Entry i of the default ramp as 00RRGGBBh: the low word is what the data port takes first
// (green and blue), the high word the red; red and blue climb twice as fast as green.
uint32_t RampEntry(uint32_t i) {
  const uint32_t redBlue = i < 32 ? i * 255 / 31 : 255;
  const uint32_t green = i * 255 / 63;
  return redBlue << 16 | green << 8 | redBlue;
}

void LutStep(bool skip, const QvHclData&) {
  if (skip) {
    std::printf("   - LUT NOT initialized!\n");
    return;
  }
  // Table programming is never traced.
  const bool traced = qvSetDebug(false);
  if (traced) std::printf("   HAL [Init LUT]\n");
  for (const LutPorts& lut : kInitLuts) {
    qvWriteReg16(lut.counter, 0);
    for (uint32_t i = 0; i < kRampEntries; i++) qvWriteReg32(lut.data, RampEntry(i));
  }
  qvSetDebug(traced);
  std::printf("   - LUT initialized (Regs 2000h-25FFh).\n");
}

void MemoryStep(bool skip, const QvHclData&) {
  if (skip) {
    std::printf("   - Video memory NOT cleared!\n");
    return;
  }
  qvFillMemory32(0, 0, kDisplayMemoryWords);
  std::printf("   - All video memory cleared to 00h.\n");
}

struct InitStep {
  uint32_t skipFlag;
  void (*run)(bool skip, const QvHclData& record);
};

constexpr InitStep kInitSteps[] = {
    {kInitNoReset, ResetStep}, {kInitNoRegs, RegisterStep}, {kInitNoLcds, PanelStep},
    {kInitNoLut, LutStep},     {kInitNoVram, MemoryStep},
};

}  // namespace

int qvInitializeController(uint32_t flags) {
  Hal.lastError = kHalOk;
  const QvHclData& record = halRecord();
  const uint32_t effective = EffectiveFlags(flags);
  if ((effective & kInitSkipCheck) == 0) {
    Hal.lastError = CheckRecord(record);
    if (Hal.lastError != kHalOk) return 0;
  }
  if (!qvIsAcquired()) {
    Hal.lastError = kHalNotAcquired;
    return 0;
  }
  std::printf("   List of HCL Initialization Events:\n");
  for (const InitStep& step : kInitSteps) step.run((effective & step.skipFlag) != 0, record);
  return Hal.lastError == kHalOk ? 1 : 0;
}
