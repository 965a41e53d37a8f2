#include "lang/own_memory.h"

#include <sys/uio.h>
#include <unistd.h>

#include <cstring>

namespace {

bool Transfer(uint32_t address, uint32_t bytes, void* local, bool write) {
  iovec mine{local, bytes};
  iovec theirs{reinterpret_cast<void*>(static_cast<uintptr_t>(address)), bytes};
  ssize_t done = write ? process_vm_writev(getpid(), &mine, 1, &theirs, 1, 0)
                       : process_vm_readv(getpid(), &mine, 1, &theirs, 1, 0);
  return done == static_cast<ssize_t>(bytes);
}

}  // namespace

bool ReadOwnMemory(uint32_t address, uint32_t bytes, uint32_t* value) {
  uint8_t raw[4] = {};
  if (bytes > sizeof raw || !Transfer(address, bytes, raw, false)) return false;
  if (bytes == 1) *value = raw[0];
  if (bytes == 2) {
    uint16_t v = 0;
    std::memcpy(&v, raw, 2);
    *value = v;
  }
  if (bytes == 4) std::memcpy(value, raw, 4);
  return true;
}

bool WriteOwnMemory(uint32_t address, uint32_t bytes, uint32_t value) {
  uint8_t raw[4] = {};
  if (bytes > sizeof raw) return false;
  if (bytes == 1) raw[0] = static_cast<uint8_t>(value);
  if (bytes == 2) {
    uint16_t v = static_cast<uint16_t>(value);
    std::memcpy(raw, &v, 2);
  }
  if (bytes == 4) std::memcpy(raw, &value, 4);
  return Transfer(address, bytes, raw, true);
}
