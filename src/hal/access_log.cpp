// The access log: events kept in memory in order, written to the log file once at the end. The
// file is opened when the log starts, so the writer needs no more than write() and close() and
// can run from a signal handler as well as at exit; the events are published one by one, so a
// handler that interrupts a recording sees every event before it complete.
#include "hal/access_log.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>

#include "hal/access_hooks.h"
#include "hal/hal.h"

namespace {

struct LogEvent {
  uint32_t code = 0;
  uint32_t repeat = 0;
  uint32_t index = 0;  // register index or memory address
  uint32_t value = 0;
  uint32_t count = 0;  // elements of a fill or block
  uint32_t width = 0;  // of a rectangle
  uint32_t stride = 0;

  bool SameAccess(const LogEvent& e) const {
    return code == e.code && index == e.index && value == e.value && count == e.count &&
           width == e.width && stride == e.stride;
  }
};

// Events live in chunks that never move once allocated, so the writer can read them while a
// recording is under way.
constexpr uint32_t kChunkEvents = 1u << 14;
constexpr uint32_t kChunks = (kMaxLogEvents + kChunkEvents - 1) / kChunkEvents;

struct AccessLogState {
  bool accepted = false;  // a /debug: text was accepted: the log is written at the end
  bool expand = false;
  std::string fileName;
  int fd = -1;
  std::unique_ptr<LogEvent[]> chunks[kChunks];
  std::atomic<uint32_t> published{0};  // events complete and visible to the writer
  std::atomic<uint32_t> dropped{0};    // accesses left out once the log was full
  std::atomic<bool> written{false};
  std::mutex recording;  // a timer thread may reach the HAL beside the main thread
};
AccessLogState Log;

LogEvent& EventAt(uint32_t n) {
  return Log.chunks[n / kChunkEvents][n % kChunkEvents];
}

// Memory block writes of the same data are still separate transfers: they never fold into
// one event with a repeat count.
bool Folds(uint32_t code) {
  return code < EventFor(kEvMemBlockWrite8, 1) || code > EventFor(kEvMemBlockWrite8, 4);
}

void Append(const LogEvent& e) {
  std::lock_guard<std::mutex> hold(Log.recording);
  uint32_t n = Log.published.load(std::memory_order_relaxed);
  if (n > 0 && Folds(e.code) && EventAt(n - 1).SameAccess(e)) {
    EventAt(n - 1).repeat++;
    return;
  }
  std::unique_ptr<LogEvent[]>& chunk = Log.chunks[n / kChunkEvents];
  if (n < kMaxLogEvents && chunk == nullptr) chunk.reset(new (std::nothrow) LogEvent[kChunkEvents]);
  if (n == kMaxLogEvents || chunk == nullptr) {
    Log.dropped.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  chunk[n % kChunkEvents] = e;
  chunk[n % kChunkEvents].repeat = 1;
  Log.published.store(n + 1, std::memory_order_release);
}

// The element size of a family's event code: 8, 16 or 32 bits.
uint32_t ElementSize(uint32_t code, AccessEvent family) {
  return 1u << (code - family);
}

uint32_t Element(const void* buffer, uint32_t size, uint32_t i) {
  const auto* bytes = static_cast<const uint8_t*>(buffer) + static_cast<size_t>(i) * size;
  if (size == 1) return bytes[0];
  if (size == 2) {
    uint16_t v;
    std::memcpy(&v, bytes, sizeof v);
    return v;
  }
  uint32_t v;
  std::memcpy(&v, bytes, sizeof v);
  return v;
}

bool IsRegisterBurst(uint32_t code) {
  return code >= kEvRegBurstRead8 && code <= EventFor(kEvRegBurstWrite8, 4);
}

// ---- writing: async-signal-safe, no stdio ----

// Text gathered in a buffer and written to a descriptor with write() alone.
class LogWriter {
 public:
  explicit LogWriter(int fd) : fd_(fd) {}
  ~LogWriter() { Flush(); }
  LogWriter(const LogWriter&) = delete;
  LogWriter& operator=(const LogWriter&) = delete;

  // A printf-like format for numbers: %X with a zero-padded width (an l is allowed), %d and %u
  // take the next argument; %s is given none and prints nothing.
  void Format(const char* format, const uint32_t* args, size_t count) {
    size_t next = 0;
    for (const char* p = format; *p != '\0'; p++) {
      if (*p != '%') {
        Put(*p);
        continue;
      }
      int digits = 0;
      while (*++p >= '0' && *p <= '9') digits = digits * 10 + (*p - '0');
      if (*p == 'l') p++;
      if (*p == '\0') break;
      if (*p == '%') Put('%');
      if ((*p == 'X' || *p == 'd' || *p == 'u') && next < count) {
        PutNumber(args[next++], *p == 'X' ? 16 : 10, digits);
      }
    }
  }
  void Text(const char* text) {
    while (*text != '\0') Put(*text++);
  }
  bool Ok() const { return ok_; }

  void Flush() {
    for (size_t done = 0; done < len_ && ok_;) {
      ssize_t n = write(fd_, buffer_ + done, len_ - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) ok_ = false;
      if (n > 0) done += static_cast<size_t>(n);
    }
    len_ = 0;
  }

 private:
  void Put(char c) {
    if (len_ == sizeof buffer_) Flush();
    buffer_[len_++] = c;
  }
  void PutNumber(uint32_t value, uint32_t radix, int digits) {
    char text[16];
    int n = 0;
    do {
      text[n++] = "0123456789ABCDEF"[value % radix];
      value /= radix;
    } while (value != 0);
    for (int pad = digits - n; pad > 0; pad--) Put('0');
    while (n > 0) Put(text[--n]);
  }

  int fd_;
  size_t len_ = 0;
  bool ok_ = true;
  char buffer_[8192];
};

// The line of each event family, in its 8-, 16- and 32-bit forms, and what its numbers are.
enum class LineArgs { kValue, kCount, kFill, kSpan, kRect };
struct LineRow {
  AccessEvent family;
  const char* formats[3];
  LineArgs args;
};

// clang-format off
const LineRow kLines[] = {
    {kEvRegRead8, {"x8  %04lX ' %01lX\n", "x16 %04lX ' %02lX\n", "x32 %04lX ' %04lX\n"}, LineArgs::kValue},
    {kEvRegWrite8, {"x8  %04lX %01lX\n", "x16 %04lX %02lX\n", "x32 %04lX %04lX\n"}, LineArgs::kValue},
    {kEvSetBits8, {"setbits8  %04lX %01lX\n", "setbits16 %04lX %02lX\n", "setbits32 %04lX %04lX\n"}, LineArgs::kValue},
    {kEvClearBits8, {"clearbits8  %04lX %01lX\n", "clearbits16 %04lX %02lX\n", "clearbits32 %04lX %04lX\n"}, LineArgs::kValue},
    {kEvModify8, {"modify8  %04lX %01lX\n", "modify16 %04lX %02lX\n", "modify32 %04lX %04lX\n"}, LineArgs::kValue},
    {kEvRegBurstRead8, {"Burst read 8 reg %04lX, %d times\n", "Burst read 16 reg %04lX, %d times\n", "Burst read 32 reg %04lX, %d times\n"}, LineArgs::kCount},
    {kEvRegBurstWrite8, {"Burst write 8 reg %04lX, %d times\n", "Burst write 16 reg %04lX, %d times\n", "Burst write 32 reg %04lX, %d times\n"}, LineArgs::kCount},
    {kEvMemRead8, {"r8 %04lX ' %01lX\n", "r16 %04lX ' %02lX\n", "r32 %04lX ' %04lX\n"}, LineArgs::kValue},
    {kEvMemWrite8, {"w8 %04lX %01lX\n", "w16 %04lX %02lX\n", "w32 %04lX %04lX\n"}, LineArgs::kFill},
    {kEvMemBlockRead8, {"Read data 8 start addr: %04lX, end addr: %04lX\n", "Read data 16 start addr: %04lX, end addr: %04lX, %s\n", "Read data 32 start addr: %04lX, end addr: %04lX, %s\n"}, LineArgs::kSpan},
    {kEvMemRectRead8, {"Read rect data 8 start addr: %04lX, end addr: %04lX, width: %04lX, stride: %04lX\n", "Read rect data 16 start addr: %04lX, end addr: %04lX, width: %04lX, stride: %04lX\n", "Read rect data 32 start addr: %04lX, end addr: %04lX, width: %04lX, stride: %04lX\n"}, LineArgs::kRect},
    {kEvMemBlockWrite8, {"Write data 8 start addr: %04lX, end addr: %04lX, %s\n", "Write data 16 start addr: %04lX, end addr: %04lX, %s\n", "Write data 32 start addr: %04lX, end addr: %04lX, %s\n"}, LineArgs::kSpan},
    {kEvMemRectWrite8, {"Write rect data 8 start addr: %04lX, end addr: %04lX, width: %04lX, stride: %04lX\n", "Write rect data 16 start addr: %04lX, end addr: %04lX, width: %04lX, stride: %04lX\n", "Write rect data 32 start addr: %04lX, end addr: %04lX, width: %04lX, stride: %04lX\n"}, LineArgs::kRect},
};
const char* const kFillLines[] = {"f8 %04lX L%04lXh %01lX\n", "f16 %04lX L%04lXh %01lX\n", "f32 %04lX L%04lXh %01lX\n"};
// clang-format on

const LineRow* LineOf(uint32_t code) {
  for (const LineRow& row : kLines) {
    if (code >= row.family && code <= EventFor(row.family, 4)) return &row;
  }
  return nullptr;
}

// The address after a rectangle: the engine moves lines of width 16-bit words, stride words
// apart.
uint32_t RectEnd(const LogEvent& e, uint32_t size) {
  uint64_t bytes = uint64_t{e.count} * size;
  uint64_t line = uint64_t{e.width} * 2;
  if (line == 0) return static_cast<uint32_t>(e.index + bytes);
  uint64_t lines = (bytes + line - 1) / line;
  uint64_t last = bytes - (lines - 1) * line;
  return static_cast<uint32_t>(e.index + (lines - 1) * uint64_t{e.stride} * 2 + last);
}

void WriteEvent(LogWriter* out, const LogEvent& e) {
  const LineRow* row = LineOf(e.code);
  if (row == nullptr) return;
  uint32_t form = e.code - row->family;
  uint32_t size = 1u << form;
  const char* format = row->formats[form];
  uint32_t args[4] = {e.index, e.value};
  switch (row->args) {
    case LineArgs::kValue:
      break;
    case LineArgs::kCount:
      args[1] = e.count;
      break;
    case LineArgs::kFill:
      if (e.count >= 2) {
        format = kFillLines[form];
        args[1] = e.count;
        args[2] = e.value;
      }
      break;
    case LineArgs::kSpan:
      args[1] = static_cast<uint32_t>(e.index + uint64_t{e.count} * size);
      break;
    case LineArgs::kRect:
      args[1] = RectEnd(e, size);
      args[2] = e.width;
      args[3] = e.stride;
      break;
  }
  out->Format(format, args, 4);
  if (e.repeat > 1 && Folds(e.code)) {
    uint32_t more = e.repeat - 1;
    out->Format(more > 1 ? "Last command repeated %d more times.\n"
                         : "Last command repeated %d more time.\n",
                &more, 1);
  }
}

// Holds back the signals that end the program while the log is written, so that one arriving
// meanwhile finds the log complete.
class QuitSignalsHeld {
 public:
  QuitSignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&held, sig);
    pthread_sigmask(SIG_BLOCK, &held, &saved_);
  }
  ~QuitSignalsHeld() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }
  QuitSignalsHeld(const QuitSignalsHeld&) = delete;
  QuitSignalsHeld& operator=(const QuitSignalsHeld&) = delete;

 private:
  sigset_t saved_;
};

void CloseLogFile() {
  if (Log.fd >= 0) close(Log.fd);
  Log.fd = -1;
}

}  // namespace

void RecordAccess(uint32_t event, uint32_t index, uint32_t value, uint32_t count) {
  LogEvent e;
  e.code = event;
  e.index = index;
  e.value = value;
  e.count = count;
  Append(e);
}

// With x, a register burst keeps its own line and each element follows it as an access of that
// register; a memory block becomes its elements at their own addresses.
void RecordBlock(uint32_t event, uint32_t index, const void* buffer, uint32_t count) {
  bool burst = IsRegisterBurst(event);
  if (!Log.expand || burst) {
    LogEvent e;
    e.code = event;
    e.index = index;
    e.count = count;
    Append(e);
  }
  if (!Log.expand || buffer == nullptr) return;
  uint32_t elementEvent, size;
  if (burst) {
    bool read = event < kEvRegBurstWrite8;
    size = ElementSize(event, read ? kEvRegBurstRead8 : kEvRegBurstWrite8);
    elementEvent = EventFor(read ? kEvRegRead8 : kEvRegWrite8, size);
  } else {
    bool read = event < kEvMemBlockWrite8;
    size = ElementSize(event, read ? kEvMemBlockRead8 : kEvMemBlockWrite8);
    elementEvent = EventFor(read ? kEvMemRead8 : kEvMemWrite8, size);
  }
  for (uint32_t i = 0; i < count; i++) {
    uint32_t at = burst ? index : index + i * size;
    RecordAccess(elementEvent, at, Element(buffer, size, i));
  }
}

void RecordRect(uint32_t event, uint32_t address, uint32_t count, uint32_t width, uint32_t stride) {
  LogEvent e;
  e.code = event;
  e.index = address;
  e.count = count;
  e.width = width;
  e.stride = stride;
  Append(e);
}

bool ParseDebugLogText(std::string_view text, DebugLogSettings* settings) {
  size_t colon = text.find(':');
  std::string_view letters = text.substr(0, colon);
  bool logs = false;
  settings->expand = false;
  for (char c : letters) {
    c = static_cast<char>(c | 0x20);
    if (c != 'r' && c != 'w' && c != 'x') return false;
    logs = logs || c != 'x';
    settings->expand = settings->expand || c == 'x';
  }
  std::string_view file = colon == std::string_view::npos ? "" : text.substr(colon + 1);
  settings->file = file.empty() ? "debug.log" : std::string(file);
  return logs;
}

bool qvSetDebugLog(const char* text) {
  DebugLogSettings settings;
  if (!ParseDebugLogText(text, &settings)) return false;
  CloseLogFile();
  Log.accepted = true;
  Log.expand = settings.expand;
  Log.fileName = settings.file;
  Log.fd = open(Log.fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (Log.fd < 0) {
    std::printf("ERROR: Cannot create debug logfile %s: %s\n", Log.fileName.c_str(),
                std::strerror(errno));
    std::fflush(stdout);  // the message at the end goes out unbuffered
  }
  AccessHooks.logOn = Log.fd >= 0;
  return true;
}

bool qvWriteDebugLog() {
  if (!Log.accepted || Log.written.exchange(true)) return false;
  QuitSignalsHeld held;
  AccessHooks.logOn = false;
  if (Log.fd < 0) {
    LogWriter console(STDOUT_FILENO);
    console.Text("Error opening debug logfile ");
    console.Text(Log.fileName.c_str());
    console.Text("\n");
    return false;
  }
  bool ok;
  {
    LogWriter out(Log.fd);
    uint32_t events = Log.published.load(std::memory_order_acquire);
    for (uint32_t n = 0; n < events; n++) WriteEvent(&out, EventAt(n));
    uint32_t dropped = Log.dropped.load(std::memory_order_relaxed);
    uint32_t args[] = {kMaxLogEvents, dropped};
    if (dropped > 0)
      out.Format("Log full at %u events: %u more accesses were left out.\n", args, 2);
    out.Flush();
    ok = out.Ok();
  }
  CloseLogFile();
  return ok;
}

uint32_t AccessLogEvents() {
  return Log.published.load(std::memory_order_acquire);
}

void ClearAccessLog() {
  std::lock_guard<std::mutex> hold(Log.recording);
  Log.published.store(0, std::memory_order_release);
  Log.dropped.store(0, std::memory_order_relaxed);
}

void EndAccessLog() {
  ClearAccessLog();
  AccessHooks.logOn = false;
  CloseLogFile();
  Log.accepted = false;
  Log.written.store(false);
}
