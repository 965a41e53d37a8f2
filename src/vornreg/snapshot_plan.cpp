// Which registers a snapshot holds, which bits of them it compares, and where the set-up needs a
// wait while it is restored.
#include <algorithm>

#include "chipdef/chipdef.h"
#include "hal/hcl_data.h"
#include "vornreg/snapshot.h"

namespace {

struct LeftOut {
  uint32_t index;
  const char* why;
};

// The host interface engine and the LUT counters: their values are the state of a transfer in
// progress, not of the set-up, and writing them back would start one (or move a table's address).
constexpr LeftOut kEngineRegisters[] = {
    {0x0016, "software reset: writing it resets every register"},           // SOFT_RESET
    {0x0182, "memory access address: writing it starts a transfer"},        // MEM_SADDR_0
    {0x0184, "memory access address: writing it starts a transfer"},        // MEM_SADDR_1
    {0x0186, "host write window offset: the state of a transfer"},          // HWC_WR_ADDR_OFF
    {0x0188, "host write window size: the state of a transfer"},            // HWC_WR_HSIZE
    {0x018A, "host write window size: the state of a transfer"},            // HWC_WR_VSIZE
    {0x0192, "host interface status: writing it clears events"},            // HWC_STATUS
    {0x0194, "rectangular memory access offset: the state of a transfer"},  // MEM_WR_ADDR_OFF
    {0x0196, "rectangular memory access width: the state of a transfer"},   // MEM_WR_ADDR_W
    {0x0400, "PIP2 LUT address counter: every LUT access moves it"},        // PIP2LUT_COUNTER
    {0x0500, "LCD LUT address counter: every LUT access moves it"},         // LCDLUT_COUNTER
};

// The tables behind their data ports, saved entry by entry with the L command.
struct LutPort {
  uint32_t dataPort;
  int lut;
};
constexpr LutPort kLutPorts[] = {{0x0402, 2}, {0x0502, 1}};  // PIP2LUT_DATAPORT, LCDLUT_DATAPORT

int LutBehind(uint32_t index) {
  for (const LutPort& port : kLutPorts) {
    if (port.dataPort == index) return port.lut;
  }
  return 0;
}

uint32_t WidthMask(uint32_t bits) {
  return bits >= 32 ? 0xFFFFFFFF : (1u << bits) - 1;
}

// The masks of the register's fields (other views of the same bits too) that pass the test.
template <typename Test>
uint32_t FieldBits(uint32_t index, Test test) {
  uint32_t bits = 0;
  for (const FeatureRec* f : ChipModel().RegisterFields(index, true)) {
    if (test(*f)) bits |= f->Mask;
  }
  return bits;
}

const RegisterRec* RecordOf(uint32_t index) {
  const RegisterRec* reg = nullptr;
  uint32_t resolved = 0;
  if (!ChipModel().FindRegister(index, false, &reg, &resolved) || reg->Fake) return nullptr;
  return reg;
}

struct Delay {
  uint32_t after;  // the register written before the wait
  uint32_t us;
  uint32_t entry;  // the wait's own index in the list (FFFCh-FFFEh)
};

// The waits of the configuration record's register list, each after the register it follows.
std::vector<Delay> RecordDelays() {
  ChipDef& model = ChipModel();
  std::vector<Delay> delays;
  uint32_t previous = kRegTableEnd;
  uint32_t index = 0;
  for (uint32_t n = 0; model.GetNthRegister(true, n, &index, true); n++) {
    if (index == kRegTableEnd) break;
    if (index >= kRegTablePllDelay && previous < kRegTableSkipFirst) {
      delays.push_back({previous, model.GetRegListValue(n), index});
    }
    previous = index;
  }
  return delays;
}

}  // namespace

const char* const kNoSuchRegister = "no register of this chip";

const char* SkipReason(uint32_t index) {
  const RegisterRec* reg = RecordOf(index);
  if (reg == nullptr) return kNoSuchRegister;
  if (LutBehind(index) != 0) return "LUT data port: the table is saved instead";
  for (const LeftOut& row : kEngineRegisters) {
    if (row.index == index) return row.why;
  }
  if (reg->DataPort) return "data port: reading it moves the chip on";
  if (reg->WriteOnly) return "write-only: it cannot be read back";
  if (reg->ReadOnly) return "read-only: it reports status, which cannot be restored";
  return nullptr;
}

uint32_t SetupBits(uint32_t index) {
  const RegisterRec* reg = RecordOf(index);
  if (reg == nullptr) return 0;
  return WidthMask(reg->BitWidth) &
         ~FieldBits(index, [](const FeatureRec& f) { return f.ReadOnly || f.WriteOnly; });
}

uint32_t ActionBits(uint32_t index) {
  return FieldBits(index, [](const FeatureRec& f) { return f.WriteOnly; });
}

uint32_t UncoveredBits(uint32_t index) {
  const RegisterRec* reg = RecordOf(index);
  if (reg == nullptr) return 0;
  return WidthMask(reg->BitWidth) & ~FieldBits(index, [](const FeatureRec&) { return true; });
}

std::vector<PlanRow> SnapshotPlan() {
  ChipDef& model = ChipModel();
  std::vector<PlanRow> plan;
  for (const RegisterRec& r : model.Registers()) {
    if (r.Fake || !model.IsForProduct(r.Product)) continue;
    // A record may stand for a run of registers (index to end index, step apart).
    const uint32_t last = r.IndexStep != 0 && r.EndIndex > r.Index ? r.EndIndex : r.Index;
    const uint32_t step = r.IndexStep != 0 ? r.IndexStep : 1;
    for (uint64_t index = r.Index; index <= last; index += step) {
      PlanRow row;
      row.index = static_cast<uint32_t>(index);
      row.bits = r.BitWidth;
      row.skip = SkipReason(row.index);
      row.lut = LutBehind(row.index);
      plan.push_back(row);
    }
  }
  std::sort(plan.begin(), plan.end(),
            [](const PlanRow& a, const PlanRow& b) { return a.index < b.index; });
  for (const Delay& delay : RecordDelays()) {
    for (PlanRow& row : plan) {
      if (row.index != delay.after) continue;
      row.delayUs = delay.us;
      row.delayName = model.RegisterLabel(delay.entry, false, LABEL_NAME);
    }
  }
  return plan;
}
