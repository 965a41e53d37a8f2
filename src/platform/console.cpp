#include "platform/console.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

// Our own read buffer on descriptor 0, so that a CR can look at the byte after it and an escape
// sequence can be read ahead.
struct InputBuffer {
  unsigned char bytes[4096];
  size_t pos = 0;
  size_t len = 0;
  bool atEnd = false;
  int pendingCode = -1;  // second code of an extended key, handed out by the next key read
};
InputBuffer Input;

// The terminal's settings from before raw mode, put back on every way out.
struct TerminalState {
  int isTerminal = -1;  // unknown until first asked
  termios saved{};
  termios rawSettings{};
  volatile sig_atomic_t raw = 0;
  bool handlersInstalled = false;
  // The controlling terminal opened for one key while standard input is not a terminal.
  volatile sig_atomic_t ttyFd = -1;
  termios ttySaved{};
  void (*volatile quitHook)() = nullptr;  // last words before a signal ends the program
};
TerminalState Terminal;

// Bytes of one escape sequence arrive together; a lone Esc is followed by nothing this long.
constexpr int kEscapeWaitMs = 30;
// An escape sequence longer than this is not one a keyboard sends; it is swallowed.
constexpr int kMaxSequence = 32;

const int kRestoreSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void RestoreTerminal() {
  if (Terminal.ttyFd >= 0) tcsetattr(Terminal.ttyFd, TCSANOW, &Terminal.ttySaved);
  if (Terminal.raw == 0) return;
  tcsetattr(STDIN_FILENO, TCSANOW, &Terminal.saved);
  Terminal.raw = 0;
}

// The handler is installed with SA_RESETHAND, so raising the signal again takes its default
// action once the terminal is back to normal.
void RestoreAndRaise(int sig) {
  RestoreTerminal();
  if (Terminal.quitHook != nullptr) Terminal.quitHook();
  raise(sig);
}

// Ctrl-Z: the shell gets its terminal back as it was, and raw mode returns when the program is
// continued (the shell may have changed the settings meanwhile).
void SuspendWithTerminalRestored(int) {
  int savedErrno = errno;
  bool wasRaw = Terminal.raw != 0;
  RestoreTerminal();
  raise(SIGSTOP);
  if (wasRaw && tcsetattr(STDIN_FILENO, TCSANOW, &Terminal.rawSettings) == 0) Terminal.raw = 1;
  errno = savedErrno;
}

// Installs handler for sig, unless the caller chose to ignore the signal. The signals in held
// wait while the handler runs.
void InstallHandler(int sig, void (*handler)(int), int flags, const sigset_t& held) {
  struct sigaction old {};
  if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) return;
  struct sigaction action {};
  action.sa_handler = handler;
  action.sa_flags = flags;
  action.sa_mask = held;
  sigaction(sig, &action, nullptr);
}

void InstallRestoreHandlers() {
  if (Terminal.handlersInstalled) return;
  Terminal.handlersInstalled = true;
  std::atexit(RestoreTerminal);
  // One ending signal at a time: a second one waits until the first has done its work.
  sigset_t ending, none;
  sigemptyset(&ending);
  sigemptyset(&none);
  for (int sig : kRestoreSignals) sigaddset(&ending, sig);
  for (int sig : kRestoreSignals) InstallHandler(sig, RestoreAndRaise, SA_RESETHAND, ending);
  InstallHandler(SIGTSTP, SuspendWithTerminalRestored, SA_RESTART, none);
}

// No echo, no line buffering, Enter as CR, every byte passed through; the terminal's signal
// keys stay on, so Ctrl-C still ends the program (with the terminal restored).
termios RawSettings(const termios& saved) {
  termios raw = saved;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | IEXTEN);
  raw.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR | IXON);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  return raw;
}

void EnterRawMode() {
  if (Terminal.raw != 0 || !ConsoleIsTerminal()) return;
  if (tcgetattr(STDIN_FILENO, &Terminal.saved) != 0) return;
  InstallRestoreHandlers();
  Terminal.rawSettings = RawSettings(Terminal.saved);
  if (tcsetattr(STDIN_FILENO, TCSANOW, &Terminal.rawSettings) == 0) Terminal.raw = 1;
}

// The controlling terminal in raw mode for as long as one key is read; its settings go back
// when the key is in, or on a signal that ends the program meanwhile.
class ControllingTerminal {
 public:
  ControllingTerminal() {
    int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return;
    termios saved{};
    if (tcgetattr(fd, &saved) != 0) {
      close(fd);
      return;
    }
    InstallRestoreHandlers();
    Terminal.ttySaved = saved;
    Terminal.ttyFd = fd;
    termios raw = RawSettings(saved);
    tcsetattr(fd, TCSANOW, &raw);
  }
  ~ControllingTerminal() {
    int fd = Terminal.ttyFd;
    if (fd < 0) return;
    tcsetattr(fd, TCSANOW, &Terminal.ttySaved);
    Terminal.ttyFd = -1;
    close(fd);
  }
  ControllingTerminal(const ControllingTerminal&) = delete;
  ControllingTerminal& operator=(const ControllingTerminal&) = delete;

  int fd() const { return Terminal.ttyFd; }
};

// True when fd has a byte to read within timeoutMs.
bool ReadableWithin(int fd, int timeoutMs) {
  pollfd p{fd, POLLIN, 0};
  int n;
  do {
    n = poll(&p, 1, timeoutMs);
  } while (n < 0 && errno == EINTR);
  return n > 0;
}

// One key of the controlling terminal: the bytes of an escape sequence arrive together, so an
// Esc with more behind it is some other key, and everything behind it is swallowed.
int ReadTtyKey(int fd) {
  unsigned char b = 0;
  ssize_t n;
  do {
    n = read(fd, &b, 1);
  } while (n < 0 && errno == EINTR);
  if (n <= 0) return -1;
  if (b == '\r' || b == '\n') return kKeyReturn;
  if (b != kKeyEsc && b < 0x80) return b;
  bool more = false;
  unsigned char rest[kMaxSequence];
  while (ReadableWithin(fd, kEscapeWaitMs) && read(fd, rest, sizeof rest) > 0) more = true;
  return b == kKeyEsc && !more ? kKeyEsc : kKeyOther;
}

bool FillInput() {
  if (Input.atEnd) return false;
  EnterRawMode();  // before the prompt shows, so that no key is typed in cooked mode
  ConsoleFlush();
  for (;;) {
    ssize_t n = read(STDIN_FILENO, Input.bytes, sizeof Input.bytes);
    if (n > 0) {
      Input.pos = 0;
      Input.len = static_cast<size_t>(n);
      return true;
    }
    if (n < 0 && errno == EINTR) continue;
    Input.atEnd = true;
    return false;
  }
}

int PeekByte() {
  if (Input.pos == Input.len && !FillInput()) return -1;
  return Input.bytes[Input.pos];
}

// True when a byte is buffered or arrives within timeoutMs.
bool ByteWithin(int timeoutMs) {
  if (Input.pos < Input.len) return true;
  if (Input.atEnd) return false;
  ConsoleFlush();
  return ReadableWithin(STDIN_FILENO, timeoutMs) && FillInput();
}

// The byte that follows within the escape wait, or -1.
int PeekSequenceByte() {
  return ByteWithin(kEscapeWaitMs) ? PeekByte() : -1;
}

int Extended(int code) {
  Input.pendingCode = code;
  return kKeyExtended;
}

// The keys of the VT100/xterm sequences: "ESC [ A" or "ESC O A" (modifiers such as "1;5" are
// allowed and ignored), and "ESC [ n ~".
struct SequenceKey {
  int final;
  int param;  // the first parameter that must come before a "~"; -1 for a letter
  int key;
};

const SequenceKey kSequenceKeys[] = {
    {'A', -1, kKeyUp},   {'B', -1, kKeyDown}, {'C', -1, kKeyRight}, {'D', -1, kKeyLeft},
    {'H', -1, kKeyHome}, {'F', -1, kKeyEnd},  {'~', 1, kKeyHome},   {'~', 2, kKeyIns},
    {'~', 3, kKeyDel},   {'~', 4, kKeyEnd},   {'~', 5, kKeyPgUp},   {'~', 6, kKeyPgDn},
    {'~', 7, kKeyHome},  {'~', 8, kKeyEnd},
};

// The key named by a complete sequence, or -1 for one the program has no use for.
int KeyFromSequence(int param, int final) {
  for (const SequenceKey& row : kSequenceKeys) {
    if (row.final == final && (row.param < 0 || row.param == param)) return row.key;
  }
  return -1;
}

// After ESC: a lone Esc, an extended key, or -1 when a sequence was swallowed whole. Parameter
// and intermediate bytes run up to a final byte; a byte that cannot belong to a sequence ends it
// and stays unread. ESC before another ESC or any other byte is an Alt-modified key, which the
// program has no use for.
int DecodeEscape() {
  bool altModified = false;
  int first;
  for (;;) {
    first = PeekSequenceByte();
    if (first < 0) return altModified ? -1 : kKeyEsc;
    ConsoleReadByte();
    if (first != kKeyEsc) break;
    altModified = true;
  }
  if (first != '[' && first != 'O') return -1;
  int param = 0;
  bool firstParamDone = false;
  for (int length = 0; length < kMaxSequence; length++) {
    int b = PeekSequenceByte();
    if (b < 0x20 || b > 0x7E) return -1;
    ConsoleReadByte();
    if (b >= 0x40) {
      int key = KeyFromSequence(param, b);
      return key < 0 || altModified ? -1 : Extended(key);
    }
    if (b >= '0' && b <= '9' && !firstParamDone) {
      param = param < 1000 ? param * 10 + (b - '0') : param;
    } else {
      firstParamDone = true;
    }
  }
  return -1;
}

// A non-ASCII character is one key with no meaning; its continuation bytes go with it.
int SkipMultiByteCharacter() {
  for (int i = 0; i < 3; i++) {
    int b = PeekSequenceByte();
    if (b < 0x80 || b > 0xBF) break;
    ConsoleReadByte();
  }
  return kKeyOther;
}

int DecodeTerminalKey() {
  for (;;) {
    int b = ConsoleReadByte();
    if (b < 0) return kKeyEsc;
    int key = b;
    switch (b) {
      case kKeyEsc:
        key = DecodeEscape();
        break;
      case 127:
        key = kKeyBackspace;
        break;
      case 8:
      case 23:
        key = kKeyDeleteWord;
        break;  // Ctrl+Backspace, Ctrl+W
      case 0:
        key = kKeyOther;
        break;
      default:
        if (b >= 0x80) key = SkipMultiByteCharacter();
        break;
    }
    if (key >= 0) return key;
  }
}

}  // namespace

bool ConsoleIsTerminal() {
  if (Terminal.isTerminal < 0) Terminal.isTerminal = isatty(STDIN_FILENO) ? 1 : 0;
  return Terminal.isTerminal == 1;
}

int ConsoleReadByte() {
  int c = PeekByte();
  if (c >= 0) Input.pos++;
  return c;
}

int ConsolePeekByte() {
  return PeekByte();
}

int ConsoleReadKey() {
  if (Input.pendingCode >= 0) {
    int code = Input.pendingCode;
    Input.pendingCode = -1;
    return code;
  }
  if (!ConsoleIsTerminal()) {
    int b = ConsoleReadByte();
    return b < 0 ? kKeyEsc : b;
  }
  return DecodeTerminalKey();
}

bool ConsoleHasTerminal() {
  if (ConsoleIsTerminal()) return true;
  static const bool hasTty = [] {
    int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    close(fd);
    return true;
  }();
  return hasTty;
}

int ConsoleReadKeyPress() {
  int key = ConsoleReadKey();
  if (key != kKeyExtended) return key;
  ConsoleReadKey();
  return kKeyOther;
}

int ConsoleReadTerminalKey() {
  ConsoleFlush();
  if (ConsoleIsTerminal()) {
    int key = ConsoleReadKeyPress();
    if (ConsoleAtEnd()) return -1;
    return key == kKeyLineFeed ? kKeyReturn : key;
  }
  ControllingTerminal tty;
  return tty.fd() >= 0 ? ReadTtyKey(tty.fd()) : -1;
}

bool ConsoleKeyPending() {
  if (Input.pendingCode >= 0 || Input.pos < Input.len || Input.atEnd) return true;
  EnterRawMode();
  pollfd p{STDIN_FILENO, POLLIN, 0};
  return poll(&p, 1, 0) > 0;
}

bool ConsoleAtEnd() {
  return Input.atEnd && Input.pos == Input.len;
}

LineRead ConsoleReadLine(char* buf, size_t size) {
  size_t n = 0;
  int c = ConsoleReadByte();
  if (c < 0) return LineRead::kEnd;
  LineRead result = LineRead::kLine;
  for (; c >= 0 && c != '\n' && c != '\r'; c = ConsoleReadByte()) {
    if (c == 0 && result == LineRead::kLine) result = LineRead::kHasNul;
    if (n + 1 < size) {
      buf[n++] = static_cast<char>(c);
    } else if (result == LineRead::kLine) {
      result = LineRead::kTooLong;
    }
  }
  if (c == '\r' && PeekByte() == '\n') ConsoleReadByte();
  if (size > 0) buf[n] = '\0';
  return result;
}

void ConsoleWrite(std::string_view text) {
  fwrite(text.data(), 1, text.size(), stdout);
}

void ConsoleRestoreTerminal() {
  RestoreTerminal();
}

void ConsoleOnQuitSignal(void (*hook)()) {
  Terminal.quitHook = hook;
  InstallRestoreHandlers();
}

void ConsoleFlush() {
  fflush(stdout);
}
