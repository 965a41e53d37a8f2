// A board window on a kernel-mapped bus, as the driver transport sees it: 8-, 16- and 32-bit
// reads and writes at a byte offset. One table per way of reaching a window: a UIO device,
// /dev/mem, or the simulated board's mapped-bus ports (src/sim/).
#pragma once

#include <cstdint>
#include <string>

// What mapping a window came to.
enum class MapResult {
  kMapped,
  kNoDevice,  // the device that provides the mapping cannot be opened
  kRefused,   // the device is open but gives no mapping
};

struct BusWindowOps {
  const char* name;
  // Maps the window named by target (backend-specific; may be empty for the default) for board
  // number `board`, at `physical` when that is not 0. Gives the linear address that stands for
  // the window and its size in bytes; on failure the cause, in one line naming the device.
  MapResult (*map)(const char* target, uint32_t board, uint32_t physical, uintptr_t* linear,
                   uint32_t* size, std::string* why);
  // The version word of whatever provides the mapping: high half major, low half minor.
  uint32_t (*version)();
  // Accesses at an offset inside the mapped size; the caller checks the bounds.
  uint32_t (*read8)(uint32_t offset);
  uint32_t (*read16)(uint32_t offset);
  uint32_t (*read32)(uint32_t offset);
  void (*write8)(uint32_t offset, uint32_t value);
  void (*write16)(uint32_t offset, uint32_t value);
  void (*write32)(uint32_t offset, uint32_t value);
  void (*unmap)();
};
