// The "sys" token's window on the program's own address space. Accesses go through the kernel's
// process-memory calls, so an address the process cannot touch fails instead of faulting.
#pragma once

#include <cstdint>

// Reads or writes bytes (1, 2 or 4) at address in the host's byte order. False when the address
// cannot be accessed.
bool ReadOwnMemory(uint32_t address, uint32_t bytes, uint32_t* value);
bool WriteOwnMemory(uint32_t address, uint32_t bytes, uint32_t value);
