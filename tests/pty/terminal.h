// A program on a pseudo-terminal: keys typed one at a time as a person would, the screen read
// back through a small terminal model that applies backspaces and line ends.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

const std::string kUp = "\x1b[A";
const std::string kDown = "\x1b[B";
const std::string kRight = "\x1b[C";
const std::string kLeft = "\x1b[D";
const std::string kDel = "\x1b[3~";
const std::string kIns = "\x1b[2~";
const std::string kHome = "\x1b[H";
const std::string kEnd = "\x1b[F";
const std::string kPgUp = "\x1b[5~";
const std::string kPgDn = "\x1b[6~";
const std::string kEsc = "\x1b";
const std::string kBackspace = "\x7f";      // what the Backspace key sends
const std::string kCtrlBackspace = "\x08";  // what Ctrl+Backspace sends
const std::string kCtrlW = "\x17";
const std::string kCtrlR = "\x12";
const std::string kTab = "\t";
const std::string kEnter = "\r";

// What the terminal shows: rows of characters, the cursor, and the bells rung.
struct Screen {
  std::vector<std::string> rows{""};
  size_t row = 0;
  size_t col = 0;
  int bells = 0;

  void Feed(const std::string& bytes) {
    for (char c : bytes) {
      if (c == '\r') {
        col = 0;
      } else if (c == '\n') {
        if (++row == rows.size()) rows.emplace_back();
      } else if (c == '\b') {
        if (col > 0) col--;
      } else if (c == '\a') {
        bells++;
      } else if (static_cast<unsigned char>(c) >= 32) {
        std::string& r = rows[row];
        if (r.size() <= col) r.resize(col + 1, ' ');
        r[col++] = c;
      }
    }
  }
  // A row without its trailing blanks; counted from the end when negative.
  std::string Row(int i) const {
    std::string r = rows[i < 0 ? rows.size() + i : static_cast<size_t>(i)];
    while (!r.empty() && r.back() == ' ') r.pop_back();
    return r;
  }
  bool Shows(const std::string& text) const {
    for (size_t i = 0; i < rows.size(); i++) {
      if (Row(static_cast<int>(i)).find(text) != std::string::npos) return true;
    }
    return false;
  }
};

// A program running on a pseudo-terminal. We hold the terminal's other side open ourselves, so
// its settings can be read after the program has ended.
class Terminal {
 public:
  explicit Terminal(const std::vector<std::string>& args) {
    char dirTemplate[] = "/tmp/vorn-pty-XXXXXX";
    dir_ = mkdtemp(dirTemplate) != nullptr ? dirTemplate : "/tmp";
    winsize size{24, 80, 0, 0};
    pid_ = forkpty(&master_, nullptr, nullptr, &size);
    if (pid_ == 0) {
      if (chdir(dir_.c_str()) != 0) _exit(126);
      // As a person's shell starts it: the terminal's signals in their default state, even when
      // the tests themselves were started with some of them ignored.
      for (int sig : {SIGINT, SIGQUIT, SIGTSTP, SIGTERM, SIGHUP}) signal(sig, SIG_DFL);
      setenv("VORN_BOARD", ("sim:" + dir_ + "/board.img").c_str(), 1);
      setenv("QDXBOARD", ("pty" + std::to_string(getpid())).c_str(), 1);
      std::vector<char*> argv;
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    if (pid_ > 0) slave_ = open(ptsname(master_), O_RDWR | O_NOCTTY);
  }
  ~Terminal() {
    if (pid_ > 0 && !ended_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
    if (slave_ >= 0) close(slave_);
    std::string cleanup = "rm -rf " + dir_;
    if (dir_ != "/tmp" && std::system(cleanup.c_str()) != 0) ADD_FAILURE() << cleanup;
  }
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  bool Started() const { return pid_ > 0 && slave_ >= 0; }

  // One key. A lone Esc is taken as a key only when nothing follows it for a while: we wait
  // until the program has answered it (every use here gives some output).
  void Key(const std::string& key) {
    if (key == kEsc) Quiet();  // the answers to the keys before it are in
    size_t before = output_.size();
    ssize_t n = write(master_, key.data(), key.size());
    EXPECT_EQ(n, static_cast<ssize_t>(key.size()));
    if (key != kEsc) return Pump(5);
    Until([&] { return output_.size() > before; });
  }
  // Bytes sent at once, without waiting for anything: an Esc while the program keeps writing.
  void Send(const std::string& bytes) {
    ssize_t n = write(master_, bytes.data(), bytes.size());
    EXPECT_EQ(n, static_cast<ssize_t>(bytes.size()));
  }
  void Type(const std::string& text) {
    for (char c : text) Key(std::string(1, c));
  }
  // Keys one after another: a key of its own (a control character, an escape sequence or a
  // non-ASCII character) as one key, any other text typed letter by letter.
  void Press(std::initializer_list<std::string> keys) {
    for (const std::string& k : keys) {
      bool text = k.size() > 1 && k[0] != '\x1b' && static_cast<unsigned char>(k[0]) < 0x80;
      text ? Type(k) : Key(k);
    }
  }
  // A line typed and entered.
  void Line(const std::string& text) {
    Type(text);
    Key(kEnter);
  }

  // Reads output until the condition holds; false when it does not within 5 seconds.
  template <typename Condition>
  bool Until(Condition condition) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      Pump(20);
    }
    return true;
  }
  // Reads output until text has appeared at least count times since the start.
  bool WaitFor(const std::string& text, int count = 1) {
    return Until([&] { return Occurrences(text) >= count; });
  }
  // Reads output until a row of the screen shows text.
  bool WaitForScreen(const std::string& text) {
    return Until([&] { return screen_.Shows(text); });
  }
  // Reads output until none has come for a while.
  void Quiet() {
    for (size_t seen = output_.size();; seen = output_.size()) {
      Pump(100);
      if (output_.size() == seen) return;
    }
  }
  // Enter, then the line that the editor driver gives back.
  std::string Enter() {
    size_t from = output_.size();
    Key(kEnter);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
      size_t open = output_.find('[', from);
      size_t close = output_.find("]\r\n", open == std::string::npos ? from : open);
      if (open != std::string::npos && close != std::string::npos) {
        return output_.substr(open + 1, close - open - 1);
      }
      if (std::chrono::steady_clock::now() > deadline) return "(no line)";
      Pump(50);
    }
  }

  // The exit status once the program has ended.
  int Wait() {
    int status = 0;
    for (int i = 0; i < 100 && waitpid(pid_, &status, WNOHANG) == 0; i++) Pump(50);
    ended_ = true;
    return status;
  }
  // Waits until the program has stopped; false when it does not.
  bool WaitStopped() {
    int status = 0;
    for (int i = 0; i < 100; i++) {
      if (waitpid(pid_, &status, WNOHANG | WUNTRACED) == pid_) return WIFSTOPPED(status);
      Pump(20);
    }
    return false;
  }
  void Signal(int sig) const { kill(pid_, sig); }
  // The terminal's local modes.
  tcflag_t LocalModes() const {
    termios t{};
    tcgetattr(slave_, &t);
    return t.c_lflag;
  }
  bool WaitForLocalModes(tcflag_t bits, bool set) const {
    for (int i = 0; i < 100; i++) {
      if (((LocalModes() & bits) == bits) == set) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  const std::string& Output() const { return output_; }
  // The program's working directory, where a test may put its files.
  const std::string& Dir() const { return dir_; }
  const Screen& Shown() const { return screen_; }

 private:
  int Occurrences(const std::string& text) const {
    int n = 0;
    for (size_t at = output_.find(text); at != std::string::npos; at = output_.find(text, at + 1)) {
      n++;
    }
    return n;
  }
  void Pump(int ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    char buf[4096];
    for (;;) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                      deadline - std::chrono::steady_clock::now())
                      .count();
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, left > 0 ? static_cast<int>(left) : 0) <= 0) return;
      ssize_t n = read(master_, buf, sizeof buf);
      if (n <= 0) return;
      std::string chunk(buf, static_cast<size_t>(n));
      output_ += chunk;
      screen_.Feed(chunk);
    }
  }

  std::string dir_;
  pid_t pid_ = -1;
  int master_ = -1;
  int slave_ = -1;
  bool ended_ = false;
  std::string output_;
  Screen screen_;
};

// The program itself, at its first prompt.
struct Vorn : Terminal {
  Vorn() : Terminal({VORN_BINARY}) {
    EXPECT_TRUE(Started());
    EXPECT_TRUE(WaitFor("="));
    EXPECT_TRUE(WaitForLocalModes(ECHO, false));  // no key typed before raw mode
  }
  // Q at the prompt ends the program normally.
  void Quit() {
    Line("q");
    int status = Wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
};
