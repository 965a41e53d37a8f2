#include "transport/driver_transport.h"

#include <cstdio>
#include <string>

DriverTransportState DriverTransport;

MapResult DriverOpenAndMap(const BusWindowOps* ops, const char* target, uint32_t board,
                           uint32_t physical, uintptr_t* linear, uint32_t* size) {
  *linear = 0;
  *size = 0;
  if (ops == nullptr || board >= kDriverBoards) return MapResult::kNoDevice;
  DriverClose();
  std::string why;
  MapResult result = ops->map(target != nullptr ? target : "", board, physical, linear, size, &why);
  if (result != MapResult::kMapped) {
    std::printf("!!!!! %s\n", why.c_str());
    *linear = 0;
    *size = 0;
    return result;
  }
  DriverTransport.ops = ops;
  DriverTransport.linear[board] = *linear;
  DriverTransport.size[board] = *size;
  uint32_t version = ops->version();
  DriverTransport.versionHigh = static_cast<uint16_t>(version >> 16);
  DriverTransport.versionLow = static_cast<uint16_t>(version);
  return result;
}

void DriverClose() {
  if (DriverTransport.ops != nullptr) DriverTransport.ops->unmap();
  DriverTransport = DriverTransportState();
}
