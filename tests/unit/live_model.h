// Test support: the chip model in live mode against a register file of the test's own, which
// remembers the width of every access (and so which registers were touched at all).
#pragma once

#include <cstdint>
#include <map>

#include "chipdef/chipdef.h"

class LiveModel : public ChipDef {
 public:
  LiveModel() { SetLive(true); }
  uint32_t ReadRegHot(const RegisterRec& reg, uint32_t index) override {
    widths[index] = reg.BitWidth;
    return regs[index];
  }
  bool WriteRegHot(const RegisterRec& reg, uint32_t index, uint32_t value) override {
    widths[index] = reg.BitWidth;
    regs[index] = value;
    return true;
  }
  std::map<uint32_t, uint32_t> regs, widths;
};
