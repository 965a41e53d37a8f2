// Real windows of a kernel-mapped bus: map 0 of a Linux UIO device, or a range of physical
// memory through /dev/mem.
#pragma once

#include <cstdint>
#include <string>

#include "transport/bus_window.h"

// Bytes mapped at a physical address through /dev/mem.
constexpr uint32_t kDevMemMapSize = 0x200000;

// Target: the device, /dev/uioN. The window is its map 0, of the size sysfs gives for it.
extern const BusWindowOps UioWindow;
// Target: the physical address in hexadecimal (0x may lead); empty: the board's physical address.
extern const BusWindowOps DevMemWindow;

// Where the facilities are found; tests put stand-ins there.
struct MappedWindowPaths {
  std::string uioClass = "/sys/class/uio";  // holds <device name>/maps/map0/size
  std::string devMem = "/dev/mem";
};
extern MappedWindowPaths MappedWindowPath;
