// The register and memory operations chosen by access width, for callers that carry the width
// as data (unit sizes of commands, token widths, register records).
#include "hal/hal.h"

uint32_t qvReadRegByWidth(uint32_t index, uint32_t bytes) {
  if (bytes == 1) return qvReadReg8(index);
  if (bytes == 4) return qvReadReg32(index);
  return qvReadReg16(index);
}

void qvWriteRegByWidth(uint32_t index, uint32_t bytes, uint32_t value) {
  if (bytes == 1) return qvWriteReg8(index, value);
  if (bytes == 4) return qvWriteReg32(index, value);
  qvWriteReg16(index, value);
}

uint32_t qvReadMemoryByWidth(uint32_t address, uint32_t bytes) {
  if (bytes == 1) return qvReadMemory8(address);
  if (bytes == 4) return qvReadMemory32(address);
  return qvReadMemory16(address);
}

void qvWriteMemoryByWidth(uint32_t address, uint32_t bytes, uint32_t value) {
  if (bytes == 1) return qvWriteMemory8(address, value);
  if (bytes == 4) return qvWriteMemory32(address, value);
  qvWriteMemory16(address, value);
}
