// The words FDUMP and FLOAD take after their range: the repeat count (the fifth word, when it is
// a number, or "*" for FLOAD) and the options, NAME=value or NAME:value or a flag word, in any
// order, from one table.
#pragma once

#include <cstdint>

#include "interp/args.h"

enum class TransferCommand : uint8_t { kDump = 1, kLoad = 2 };

struct TransferOptions {
  uint32_t repeat = 1;       // N=, or the fifth word
  uint32_t repeatToEnd = 0;  // "*" as the fifth word (FLOAD)
  uint32_t delay = 0;        // D=, microseconds
  uint32_t all = 0;          // A=: FDUMP appends, FLOAD loads every numbered frame
  uint32_t burst = 1;        // B=
  uint32_t rectWidth = 0;    // SW
  uint32_t rectOffset = 0;   // SO
  uint32_t rectHeight = 0;   // SH
  uint32_t width = 0;        // W=
  uint32_t height = 0;       // H=
  uint32_t format = 0;       // F=, a data format 0..4
  uint32_t offset = 0;       // O=, bytes skipped at the file's start
  uint32_t vndp = 0;         // VN=
  uint32_t toEnd = 0;        // EOF
  uint32_t hwc = 0;          // HWC
  uint32_t rotation = 0;     // ROT
  uint32_t mirror = 0;       // MIRROR
  uint32_t hwcX = 0;         // HX
  uint32_t hwcY = 0;         // HY
  uint32_t frames = 1;       // FRM
  uint32_t loops = 0;        // L=
  uint32_t fps = 0;          // FPS
  uint32_t frameRate = 0;    // FR
  uint32_t voutRate = 0;     // VFR
  uint32_t voutDelay = 0;    // VLD
  uint32_t gpio = 0;         // GPIO
  uint64_t given = 0;        // one bit per option row met
};

// Reads argv[5] onward for the command. False after printing the error that names the word.
bool ParseTransferWords(int argc, ArgSlot* argv, TransferCommand command, TransferOptions* o);

// True when the option that stores into field was given.
bool OptionGiven(const TransferOptions& o, uint32_t TransferOptions::*field);
