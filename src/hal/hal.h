// The hardware abstraction layer: the one road from the rest of the program to the 77Q41.
// Register indices are register byte addresses; addresses are display-memory byte addresses.
#pragma once

#include <cstddef>
#include <cstdint>

// Error codes; qvGetLastError gives their texts.
enum HalError : uint32_t {
  kHalOk = 0,
  kHalNoDriver = 1,
  kHalNoController = 2,
  kHalNotConfigured = 3,
  kHalCrcMismatch = 4,
  kHalNotAcquired = 5,
  kHalIrqFailure = 6,
  kHalBreakAlign = 7,
  kHalBreakMask = 8,
  kHalBreakTiming = 9,
  kHalBreakFormat = 10,
  kHalBreakBrace = 11,
  kHalBreakMatch = 12,
  kHalBreakTooMany = 13,
  kHalBreakAccess = 14,
  kHalUnspecified = 15,
};

struct QvHclData;

// The configuration record the HAL works from: the compiled-in one unless another is handed over
// here (null gives the compiled-in one back). The record must stay valid while the HAL uses it.
void halSetRecord(const QvHclData* record);
const QvHclData& halRecord();
// The HCL information flags in force for this run: the record's, unless VORN_BOARD's ",hcl=" or
// the bus of the acquired controller (the USB bridge flag) made them differ.
uint32_t halHclFlags();

// Initialisation flags: each NO flag skips its step. Any ONLY flag runs only the steps named by
// ONLY flags, and then the configuration check only with kInitCheckInOnlyMode.
constexpr uint32_t kInitNoReset = 0x00000001;
constexpr uint32_t kInitNoRegs = 0x00000010;
constexpr uint32_t kInitNoLcds = 0x00000020;
constexpr uint32_t kInitNoLut = 0x00000040;
constexpr uint32_t kInitNoVram = 0x00000080;
constexpr uint32_t kInitSkipCheck = 0x00008000;
constexpr uint32_t kInitOnlyReset = 0x00010000;
constexpr uint32_t kInitOnlyRegs = 0x00100000;
constexpr uint32_t kInitOnlyLcds = 0x00200000;
constexpr uint32_t kInitOnlyLut = 0x00400000;
constexpr uint32_t kInitOnlyVram = 0x00800000;
constexpr uint32_t kInitCheckInOnlyMode = 0x80000000;
constexpr uint32_t kInitOnlyFlags = 0x80F10000;  // every ONLY flag and the check flag

// Lifecycle and information.
int qvAcquireController();
// Brings the controller into the state the record describes, printing one line per step; 1 when
// the last error is still 0 at the end.
int qvInitializeController(uint32_t flags);
void qvGetVersionInfo(const char* program, const char* title, const char* revision, char* buffer,
                      size_t size);
uint32_t qvGetLastError(char* buffer, size_t size);
bool qvSetDebug(bool on);
bool qvIsAcquired();

// The access log (/debug:) and the register breakpoints (/break:).
// Starts the log from a /debug: text; false when the text is rejected. A log file that cannot be
// created is reported at once, and the session goes on without a log.
bool qvSetDebugLog(const char* text);
// Writes the log file, once; later calls do nothing. Safe to call from a signal handler.
bool qvWriteDebugLog();
int qvClearBreakpoints();
// Adds the breakpoints of a /break: list; false with the reason as the last error (codes 7-14).
bool qvSetBreakpoints(const char* text);

// Registers.
uint32_t qvReadReg8(uint32_t index);
uint32_t qvReadReg16(uint32_t index);
uint32_t qvReadReg32(uint32_t index);
void qvWriteReg8(uint32_t index, uint32_t value);
void qvWriteReg16(uint32_t index, uint32_t value);
void qvWriteReg32(uint32_t index, uint32_t value);
uint16_t qvModifyReg16(uint32_t index, uint16_t mask, uint16_t value);
uint16_t qvSetBitsReg16(uint32_t index, uint16_t bits);
uint16_t qvClearBitsReg16(uint32_t index, uint16_t bits);
void qvBurstReadReg8(uint32_t index, uint8_t* buffer, uint32_t count);
void qvBurstReadReg16(uint32_t index, uint16_t* buffer, uint32_t count);
void qvBurstReadReg32(uint32_t index, uint32_t* buffer, uint32_t count);
void qvBurstWriteReg8(uint32_t index, const uint8_t* buffer, uint32_t count);
void qvBurstWriteReg16(uint32_t index, const uint16_t* buffer, uint32_t count);
void qvBurstWriteReg32(uint32_t index, const uint32_t* buffer, uint32_t count);
int qvWaitRegBitsClear16(uint32_t index, uint16_t mask, uint32_t stepMs, uint32_t timeoutMs);
int qvWaitRegBitsSet16(uint32_t index, uint16_t mask, uint32_t stepMs, uint32_t timeoutMs);

// The operations above chosen by an access width of 1, 2 or 4 bytes (any other counts as 2).
uint32_t qvReadRegByWidth(uint32_t index, uint32_t bytes);
void qvWriteRegByWidth(uint32_t index, uint32_t bytes, uint32_t value);
uint32_t qvReadMemoryByWidth(uint32_t address, uint32_t bytes);
void qvWriteMemoryByWidth(uint32_t address, uint32_t bytes, uint32_t value);

// Display memory.
uint32_t qvReadMemory8(uint32_t address);
uint32_t qvReadMemory16(uint32_t address);
uint32_t qvReadMemory32(uint32_t address);
void qvWriteMemory8(uint32_t address, uint32_t value);
void qvWriteMemory16(uint32_t address, uint32_t value);
void qvWriteMemory32(uint32_t address, uint32_t value);
void qvFillMemory8(uint32_t address, uint32_t value, uint32_t count);
void qvFillMemory16(uint32_t address, uint32_t value, uint32_t count);
void qvFillMemory32(uint32_t address, uint32_t value, uint32_t count);
void qvBurstReadMemory8(uint32_t address, uint8_t* buffer, uint32_t count);
void qvBurstReadMemory16(uint32_t address, uint16_t* buffer, uint32_t count);
void qvBurstReadMemory32(uint32_t address, uint32_t* buffer, uint32_t count);
void qvBurstReadRectMemory8(uint32_t address, uint8_t* buffer, uint32_t count, uint32_t width,
                            uint32_t stride);
void qvBurstReadRectMemory16(uint32_t address, uint16_t* buffer, uint32_t count, uint32_t width,
                             uint32_t stride);
void qvBurstReadRectMemory32(uint32_t address, uint32_t* buffer, uint32_t count, uint32_t width,
                             uint32_t stride);
void qvBurstWriteMemory8(uint32_t address, const uint8_t* buffer, uint32_t count);
void qvBurstWriteMemory16(uint32_t address, const uint16_t* buffer, uint32_t count);
void qvBurstWriteMemory32(uint32_t address, const uint32_t* buffer, uint32_t count);
void qvBurstWriteRectMemory8(uint32_t address, const uint8_t* buffer, uint32_t count,
                             uint32_t width, uint32_t stride);
void qvBurstWriteRectMemory16(uint32_t address, const uint16_t* buffer, uint32_t count,
                              uint32_t width, uint32_t stride);
void qvBurstWriteRectMemory32(uint32_t address, const uint32_t* buffer, uint32_t count,
                              uint32_t width, uint32_t stride);

// Host write window: image data streamed into a display window with rotation and mirror.
void qvLcdSetWindowImageFormat(uint32_t dataType, bool swap);
void qvLcdDrawWindowImage(uint32_t windowBase, uint32_t x, uint32_t y, uint32_t width,
                          uint32_t height, uint32_t stride, uint32_t rotation, bool mirror,
                          const uint16_t* image);

// Colour look-up tables: window 8 selects the PIP2-LUT, any other the LCD-LUT.
constexpr uint32_t kPip2LutWindow = 8;
uint32_t qvLcdGetGammaTableEntry(uint32_t index, uint32_t window);
void qvLcdSetGammaTableEntry(uint32_t index, const uint8_t* rgb, uint32_t window);
void qvLcdSetGammaTable(uint32_t start, const uint8_t* entries, uint32_t count, uint32_t window);
void qvLcdSetGammaRamp(uint32_t window);
bool qvLcdIsLutBypassed(uint32_t window);

// Raw access: the bridge's own space, or window 0 of a mapped bus at the offset. Direct access
// to the board windows.
uint32_t halReadRaw8(uint32_t offset);
uint32_t halReadRaw16(uint32_t offset);
uint32_t halReadRaw32(uint32_t offset);
void halWriteRaw8(uint32_t offset, uint32_t value);
void halWriteRaw16(uint32_t offset, uint32_t value);
void halWriteRaw32(uint32_t offset, uint32_t value);
// Windows are 0 to 5; false when window n holds no real mapping (nothing is touched then).
bool qvBarIsMapped(uint32_t window);
// True when an access of `bytes` at offset lies inside window n's mapping; accesses outside
// read 0 and write nothing.
bool qvBarInWindow(uint32_t window, uint32_t offset, uint32_t bytes);
uint32_t qvReadBar8(uint32_t window, uint32_t offset);
uint32_t qvReadBar16(uint32_t window, uint32_t offset);
uint32_t qvReadBar32(uint32_t window, uint32_t offset);
void qvWriteBar8(uint32_t window, uint32_t offset, uint32_t value);
void qvWriteBar16(uint32_t window, uint32_t offset, uint32_t value);
void qvWriteBar32(uint32_t window, uint32_t offset, uint32_t value);
