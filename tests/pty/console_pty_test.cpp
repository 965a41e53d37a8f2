// The console on a real (pseudo-)terminal: keys typed one at a time as a person would, the
// screen read back through a small terminal model that applies backspaces and line ends.
// The line editor runs inside editor_driver; the pager and the terminal restore inside vorn.
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <fcntl.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

const std::string kUp = "\x1b[A";
const std::string kDown = "\x1b[B";
const std::string kRight = "\x1b[C";
const std::string kLeft = "\x1b[D";
const std::string kDel = "\x1b[3~";
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
  void Type(const std::string& text) {
    for (char c : text) Key(std::string(1, c));
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

// The editor driver with a line buffer of the given size, at its first prompt.
struct Editor : Terminal {
  explicit Editor(const char* size = "256") : Terminal({EDITOR_DRIVER, size}) {
    EXPECT_TRUE(Started());
    EXPECT_TRUE(WaitFor("="));
  }
};

TEST(LineEditor, InsertsAtTheCursorAndIgnoresKeysAtAFullLine) {
  Editor t("6");  // room for 5 characters
  t.Type("ac");
  t.Key(kLeft);
  t.Type("b");
  t.Key(kRight);
  t.Type("defg");  // "f" and "g" find the line full
  t.Key(kLeft);
  t.Key(kLeft);
  t.Type("X");
  t.Key("\x01");  // a control key with no use rings the bell
  EXPECT_EQ(t.Enter(), "abcde");
  EXPECT_EQ(t.Shown().Row(0), "=abcde");
  EXPECT_EQ(t.Shown().bells, 1);
}

TEST(LineEditor, BackspaceAndDeleteWordRedrawWithoutLeftovers) {
  Editor t;
  t.Type("one two  three");
  t.Key(kBackspace);
  EXPECT_TRUE(t.WaitForScreen("=one two  thre"));
  t.Key(kCtrlW);  // the word, then the blanks before it
  t.Key(kCtrlBackspace);
  t.Type("X");
  EXPECT_EQ(t.Enter(), "oneX");
  EXPECT_EQ(t.Shown().Row(0), "=oneX");

  // In the middle of the line only the word before the cursor goes.
  t.Type("alpha beta gamma");
  for (int i = 0; i < 6; i++) t.Key(kLeft);
  t.Key(kCtrlW);
  t.Type("Z");
  t.Key(kBackspace);
  t.Key(kBackspace);
  t.Type("A");
  EXPECT_EQ(t.Enter(), "alphA gamma");
  EXPECT_EQ(t.Shown().Row(2), "=alphA gamma");
  EXPECT_EQ(t.Shown().bells, 0);
}

TEST(LineEditor, EscClearsTheLineAndUnknownSequencesLeaveNothing) {
  Editor t;
  t.Type("abc");
  t.Key(kEsc);
  t.Type("x");
  t.Key("\x1b[15~");  // F5
  t.Key("\x1bOP");    // F1
  t.Key("\x1b[<0;12;3M");
  t.Key("\x1bq");       // Alt+Q
  t.Key("\x1b\x1b[A");  // Alt+Up
  t.Type("y");
  t.Key("\xc3\xa9");  // a non-ASCII character: a bell, nothing inserted
  EXPECT_EQ(t.Enter(), "xy");
  EXPECT_EQ(t.Shown().Row(0), "=xy");
  EXPECT_EQ(t.Shown().bells, 1);
}

TEST(LineEditor, CtrlRRecallsTheLastLineEntered) {
  Editor t;
  t.Key(kCtrlR);  // nothing entered yet
  EXPECT_EQ(t.Enter(), "");
  t.Type("first");
  EXPECT_EQ(t.Enter(), "first");
  t.Type("second");
  EXPECT_EQ(t.Enter(), "second");
  t.Type("typed over");
  t.Key(kCtrlR);
  t.Type("!");
  EXPECT_EQ(t.Enter(), "second!");
  EXPECT_EQ(t.Shown().Row(-3), "=second!");
}

TEST(LineEditor, UpAndDownBrowseTheHistory) {
  Editor t;
  t.Key(kUp);  // an empty history: nothing to show
  EXPECT_EQ(t.Enter(), "");
  for (const char* line : {"a1", "a2", "a3", "a3"}) {  // the repeated line is stored once
    t.Type(line);
    EXPECT_EQ(t.Enter(), line);
  }
  t.Type("some long text");
  t.Key(kUp);  // from a fresh prompt: the last line entered
  EXPECT_EQ(t.Enter(), "a3");
  EXPECT_EQ(t.Shown().Row(-3), "=a3");
  for (int i = 0; i < 4; i++) t.Key(kUp);  // the oldest line shows again at the end
  EXPECT_EQ(t.Enter(), "a1");              // and is stored again: a1 a2 a3 a1
  t.Key(kUp);
  t.Key(kUp);
  t.Key(kUp);
  t.Key(kDown);
  EXPECT_EQ(t.Enter(), "a3");
  t.Key(kUp);
  t.Key(kDown);  // past the newest line the position stays
  EXPECT_EQ(t.Enter(), "a3");
}

TEST(LineEditor, LeftRightAndDelStayInsideTheLine) {
  Editor t;
  t.Type("abcd");
  t.Key(kLeft);
  t.Key(kLeft);
  t.Key(kDel);
  for (int i = 0; i < 3; i++) t.Key(kRight);  // one past the end is not taken
  t.Type("X");
  for (int i = 0; i < 10; i++) t.Key(kLeft);
  t.Type("Y");
  t.Key(kDel);
  EXPECT_EQ(t.Enter(), "YbdX");
  EXPECT_EQ(t.Shown().Row(0), "=YbdX");
  t.Key(kDel);  // on an empty line
  t.Type("z");
  EXPECT_EQ(t.Enter(), "z");
}

TEST(LineEditor, TabCompletesTheWordAfterTheLastBlank) {
  Editor t;
  t.Type("set pip1w");
  t.Key(kTab);  // one match: the name and a blank
  t.Type("1");
  EXPECT_EQ(t.Enter(), "set pip1width 1");
  EXPECT_EQ(t.Shown().Row(0), "=set pip1width 1");

  t.Type("pip1w");  // the first word is never completed, and rings no bell
  t.Key(kTab);
  t.Type(" x pix");
  t.Key(kTab);  // no match: the bell
  EXPECT_EQ(t.Enter(), "pip1w x pix");
  EXPECT_EQ(t.Shown().bells, 1);
}

TEST(LineEditor, TabWithSeveralMatchesExtendsAndLists) {
  Editor t;
  t.Type("x pi");
  t.Key(kTab);  // extends to the common beginning and lists at once
  ASSERT_TRUE(t.WaitFor("=x pip", 2));
  EXPECT_TRUE(t.Shown().Shows("pip1height"));
  EXPECT_TRUE(t.Shown().Shows("pip2width"));
  t.Type("1");
  ASSERT_TRUE(t.WaitForScreen("=x pip1"));
  t.Key(kTab);  // "pip1" is already the common beginning: the first TAB does nothing
  t.Quiet();
  EXPECT_EQ(t.Shown().Row(-1), "=x pip1");
  t.Key(kTab);  // the second lists
  ASSERT_TRUE(t.WaitFor("=x pip1", 2));
  EXPECT_EQ(t.Shown().Row(-2), "");
  EXPECT_EQ(t.Shown().Row(-3), "");
  EXPECT_EQ(t.Shown().Row(-4), "pip1width");
  EXPECT_EQ(t.Shown().Row(-5), "pip1height");  // the newer name first
  EXPECT_EQ(t.Shown().Row(-6), "=x pip1");
  EXPECT_EQ(t.Enter(), "x pip1");
  EXPECT_EQ(t.Shown().bells, 0);
}

TEST(LineEditor, LongListingsAskFirst) {
  Editor t;
  t.Type("x many");
  t.Key(kTab);
  t.Key(kTab);
  ASSERT_TRUE(t.WaitFor("12 results found, display? [y/N]"));
  t.Type("n");
  ASSERT_TRUE(t.WaitFor("=x many", 2));
  EXPECT_FALSE(t.Shown().Shows("many11"));
  t.Key(kTab);
  ASSERT_TRUE(t.WaitFor("12 results found, display? [y/N]", 2));
  t.Type("Y");
  ASSERT_TRUE(t.WaitFor("=x many", 3));
  EXPECT_TRUE(t.Shown().Shows("many11"));
  EXPECT_TRUE(t.Shown().Shows("many0"));
  EXPECT_EQ(t.Enter(), "x many");
}

TEST(KeyNames, DecodesTheTerminalsSequences) {
  Terminal t({EDITOR_DRIVER, "keys"});
  ASSERT_TRUE(t.Started());
  ASSERT_TRUE(t.WaitForLocalModes(ECHO, false));  // no key typed before raw mode
  const std::pair<std::string, std::string> kKeys[] = {
      {kUp, "UP"},
      {kDown, "DOWN"},
      {kLeft, "LEFT"},
      {kRight, "RIGHT"},
      {"\x1bOH", "HOME"},
      {"\x1b[F", "END"},
      {"\x1b[5~", "PGUP"},
      {"\x1b[6~", "PGDN"},
      {"\x1b[2~", "INS"},
      {kDel, "DEL"},
      {"\x1b[1;5A", "UP"},  // Ctrl+Up
      {"\x1b[15~", ""},     // F5: nothing the program knows, swallowed whole
      {kEsc, "ESC"},
      {kBackspace, "BS"},
      {kCtrlBackspace, "\x7f"},  // the delete-word key has
                                 // no name of its own
      {kTab, "TAB"},
      {kEnter, "RETURN"},
      {" ", "SPACE"},
      {"a", "a"},
  };
  std::string expected;
  for (const auto& [key, name] : kKeys) {
    t.Key(key);
    if (name.empty()) continue;
    expected += "<" + name + ">";
    EXPECT_TRUE(t.Until([&] { return t.Output().size() >= expected.size(); })) << name;
  }
  t.Key("Q");
  EXPECT_TRUE(t.WaitFor("<Q>\r\n"));
  EXPECT_EQ(t.Output(), expected + "<Q>\r\n");
}

// The pager and the terminal's restore, in the program itself.
struct Vorn : Terminal {
  Vorn() : Terminal({VORN_BINARY}) {
    EXPECT_TRUE(Started());
    EXPECT_TRUE(WaitFor("="));
  }
};

TEST(Pager, EscAtTheSecondStopEndsTheRestOfTheLine) {
  Vorn t;
  t.Type("h 3");
  t.Key(kEnter);
  ASSERT_TRUE(t.WaitFor("Current Halt setting: 3 lines"));
  t.Type("flog ? ; q ?");  // a 10-line help, then one more line
  t.Key(kEnter);
  ASSERT_TRUE(t.WaitFor("-- more [ESC to exit] --"));
  EXPECT_TRUE(t.Shown().Shows(" FLOG log.txt SET:OFF"));
  EXPECT_FALSE(t.Shown().Shows(" Writes to Filename"));
  t.Type(" ");
  ASSERT_TRUE(t.WaitFor("-- more [ESC to exit] --", 2));
  EXPECT_TRUE(t.Shown().Shows("      OUT - any general output"));
  EXPECT_FALSE(t.Shown().Shows("      SET - output generated"));
  t.Key(kEsc);
  ASSERT_TRUE(t.WaitFor("\b \b="));  // the prompt of the pager erased, the next line's prompt
  t.Quiet();
  EXPECT_FALSE(t.Shown().Shows("      SET - output generated"));
  EXPECT_FALSE(t.Shown().Shows("Quit program."));
  EXPECT_FALSE(t.Shown().Shows("-- more"));  // erased after each key
  EXPECT_EQ(t.Shown().Row(-1), "=");
  EXPECT_EQ(t.Shown().Row(-2), "      OUT - any general output or output from PRINT command");

  t.Type("q");
  t.Key(kEnter);
  int status = t.Wait();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_TRUE(t.WaitForLocalModes(ICANON | ECHO, true));
}

TEST(Terminal, RawWhileReadingAndRestoredWhenCtrlCEndsTheProgram) {
  Vorn t;
  EXPECT_TRUE(t.WaitForLocalModes(ECHO, false));
  EXPECT_TRUE(t.WaitForLocalModes(ICANON, false));
  EXPECT_TRUE(t.WaitForLocalModes(ISIG, true));  // Ctrl-C still signals
  t.Key("\x03");
  int status = t.Wait();
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
  EXPECT_TRUE(t.WaitForLocalModes(ICANON | ECHO, true));
}

TEST(Terminal, CtrlZHandsTheTerminalBackUntilTheProgramContinues) {
  Vorn t;
  ASSERT_TRUE(t.WaitForLocalModes(ECHO, false));
  t.Key("\x1a");
  ASSERT_TRUE(t.WaitStopped());
  EXPECT_TRUE(t.WaitForLocalModes(ICANON | ECHO, true));
  t.Signal(SIGCONT);
  EXPECT_TRUE(t.WaitForLocalModes(ECHO, false));
  t.Type("q ?");
  t.Key(kEnter);
  ASSERT_TRUE(t.WaitFor("Quit program.\r\n\r\n="));
  EXPECT_EQ(t.Shown().Row(-4), "=q ?");  // echoed once, by the editor alone
}

}  // namespace
