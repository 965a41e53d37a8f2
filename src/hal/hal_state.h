// The HAL's process-wide state and the dispatch table every bus-interface variant fills.
#pragma once

#include <cstddef>
#include <cstdint>

#include "hal/hcl_data.h"

// One entry per operation, in slot order; each variant supplies all of them.
struct HalDispatch {
  bool (*acquire)();                                                                          // 0
  uint32_t (*initialise)();                                                                   // 1
  uint32_t (*readReg8)(uint32_t index);                                                       // 2
  uint32_t (*readReg16)(uint32_t index);                                                      // 3
  uint32_t (*readReg32)(uint32_t index);                                                      // 4
  void (*writeReg8)(uint32_t index, uint32_t value);                                          // 5
  void (*writeReg16)(uint32_t index, uint32_t value);                                         // 6
  void (*writeReg32)(uint32_t index, uint32_t value);                                         // 7
  uint16_t (*modifyReg16)(uint32_t index, uint16_t mask, uint16_t value);                     // 8
  uint16_t (*clearBitsReg16)(uint32_t index, uint16_t bits);                                  // 9
  uint16_t (*setBitsReg16)(uint32_t index, uint16_t bits);                                    // 10
  void (*burstReadReg8)(uint32_t index, uint8_t* buffer, uint32_t count);                     // 11
  void (*burstReadReg16)(uint32_t index, uint16_t* buffer, uint32_t count);                   // 12
  void (*burstWriteReg8)(uint32_t index, const uint8_t* buffer, uint32_t count);              // 13
  void (*burstWriteReg16)(uint32_t index, const uint16_t* buffer, uint32_t count);            // 14
  int (*waitRegBitsClear16)(uint32_t index, uint16_t mask, uint32_t step, uint32_t timeout);  // 15
  int (*waitRegBitsSet16)(uint32_t index, uint16_t mask, uint32_t step, uint32_t timeout);    // 16
  uint32_t (*readMemory8)(uint32_t address);                                                  // 17
  uint32_t (*readMemory16)(uint32_t address);                                                 // 18
  uint32_t (*readMemory32)(uint32_t address);                                                 // 19
  void (*writeMemory8)(uint32_t address, uint32_t value);                                     // 20
  void (*writeMemory16)(uint32_t address, uint32_t value);                                    // 21
  void (*writeMemory32)(uint32_t address, uint32_t value);                                    // 22
  void (*fillMemory8)(uint32_t address, uint32_t value, uint32_t count);                      // 23
  void (*fillMemory16)(uint32_t address, uint32_t value, uint32_t count);                     // 24
  void (*fillMemory32)(uint32_t address, uint32_t value, uint32_t count);                     // 25
  void (*burstReadMemory8)(uint32_t address, uint8_t* buffer, uint32_t count);                // 26
  void (*burstReadRectMemory8)(uint32_t address, uint8_t* buffer, uint32_t count, uint32_t width,
                               uint32_t stride);                                  // 27
  void (*burstReadMemory16)(uint32_t address, uint16_t* buffer, uint32_t count);  // 28
  void (*burstReadRectMemory16)(uint32_t address, uint16_t* buffer, uint32_t count, uint32_t width,
                                uint32_t stride);                                 // 29
  void (*burstReadMemory32)(uint32_t address, uint32_t* buffer, uint32_t count);  // 30
  void (*burstReadRectMemory32)(uint32_t address, uint32_t* buffer, uint32_t count, uint32_t width,
                                uint32_t stride);                                      // 31
  void (*burstWriteMemory8)(uint32_t address, const uint8_t* buffer, uint32_t count);  // 32
  void (*burstWriteRectMemory8)(uint32_t address, const uint8_t* buffer, uint32_t count,
                                uint32_t width, uint32_t stride);                        // 33
  void (*burstWriteMemory16)(uint32_t address, const uint16_t* buffer, uint32_t count);  // 34
  void (*burstWriteRectMemory16)(uint32_t address, const uint16_t* buffer, uint32_t count,
                                 uint32_t width, uint32_t stride);                       // 35
  void (*burstWriteMemory32)(uint32_t address, const uint32_t* buffer, uint32_t count);  // 36
  void (*burstWriteRectMemory32)(uint32_t address, const uint32_t* buffer, uint32_t count,
                                 uint32_t width, uint32_t stride);  // 37
  uint16_t (*readDataPort)();                                       // 38
  void (*writeDataPort)(uint16_t value);                            // 39
};
constexpr size_t kHalDispatchSlots = 40;
static_assert(sizeof(HalDispatch) == kHalDispatchSlots * sizeof(void (*)()),
              "every slot is one function pointer");

constexpr size_t kBarWindows = 6;
// Window 0 of a bridge board holds this marker instead of a mapping.
constexpr uintptr_t kBridgeWindowMark = 255;

struct HalState {
  uint32_t lastError = 0;
  bool traceOn = false;
  bool traceSet = false;                   // the first acquire takes the trace from the record
  uintptr_t windowBase[kBarWindows] = {};  // window 0 doubles as the "acquired" mark
  HalDispatch dispatch = {};
  uint32_t bridgeRegBase = 0;            // bridge address of register index 0
  uint8_t bridgeDevice = 2;              // device selector sent with every transfer
  const QvHclData* record = &qvHclData;  // the configuration record in force
};
extern HalState Hal;

// The bridge variant's table.
extern const HalDispatch BridgeVariant;
