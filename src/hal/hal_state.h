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

struct BusWindowOps;

// A driver variant's way to its ports: the mapped window 0 and the bus options of the flags.
struct BusPorts {
  const BusWindowOps* window = nullptr;  // null unless a driver variant is acquired
  uint32_t size = 0;                     // bytes of window 0 that may be touched
  bool waitForWrites = true;             // flag 1000h clear: poll busy after memory writes
  bool waitForRoom = true;               // flag 2000h clear: poll port-full before 018Ch bursts
  bool dataPort32 = false;               // flag 4000h set: 32-bit memory data in one access
};

// What the board route makes of the record's HCL information flags: ",hcl=" replaces them, the
// bus of the route sets or clears the USB bridge flag.
struct HclFlagsChange {
  bool replaced = false;
  uint32_t flags = 0;  // the replacement
  uint32_t set = 0;
  uint32_t clear = 0;
};

struct HalState {
  uint32_t lastError = 0;
  HclFlagsChange flagsChange;  // taken from the route by an acquire that is not yet acquired
  bool traceOn = false;
  bool traceSet = false;                   // the first acquire takes the trace from the record
  uintptr_t windowBase[kBarWindows] = {};  // window 0 doubles as the "acquired" mark
  HalDispatch dispatch = {};
  uint32_t bridgeRegBase = 0;            // bridge address of register index 0
  uint8_t bridgeDevice = 2;              // device selector sent with every transfer
  const QvHclData* record = &qvHclData;  // the configuration record in force
  BusPorts bus;
};
extern HalState Hal;

// The bridge variant's table, and those of the driver variants A (flag 0800h set) and B.
extern const HalDispatch BridgeVariant;
extern const HalDispatch BusVariantA;
extern const HalDispatch BusVariantB;

// The driver variants' ports, at these offsets of window 0; a mapping must reach past them.
constexpr uint32_t kBusIndexPort = 0;
constexpr uint32_t kBusStatusPort = 2;
constexpr uint32_t kBusDataPort = 4;
constexpr uint32_t kBusSparePort = 8;
constexpr uint32_t kBusPortsSize = 10;
constexpr uint16_t kBusStatusBusy = 0x0001;
constexpr uint16_t kBusStatusFull = 0x0010;

// Maps window 0 through the route's window and sets up the driver variant's ports and options
// from the flags in force (the variant's acquire entry, and the acquire of a mapped-bus board).
bool MapBusWindow();
