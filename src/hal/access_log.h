// The access log of /debug:: every public register and memory operation recorded in memory and
// written to its file once, on whatever way the program ends (see qvWriteDebugLog).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The log keeps at most this many events; further accesses are only counted.
constexpr uint32_t kMaxLogEvents = 1000000;

struct DebugLogSettings {
  bool expand = false;  // x: every element of a block is an event of its own
  std::string file = "debug.log";
};

// Reads a /debug: text: the letters r, w and x in any case and order (r or w must be among
// them), then optionally ':' and the file name. False when the text is rejected.
bool ParseDebugLogText(std::string_view text, DebugLogSettings* settings);

// The events recorded so far (a repeat adds none).
uint32_t AccessLogEvents();
// Forgets the events recorded so far; the log goes on recording (benchmarks start afresh).
void ClearAccessLog();
// Ends the log without writing it, closing its file (tests start afresh).
void EndAccessLog();
