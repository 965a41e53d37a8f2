// Runs the real vorn program on the cases of the transcript files and compares its output and
// exit code exactly. Each case runs in a fresh directory against a fresh simulated board.
//
// Transcript format, one case after another:
//   === name          starts a case
//   $ args...         the command line after "vorn" (blank-separated; '...' keeps blanks)
//   % file NAME       creates a file in the case's directory from the "| " lines that follow
//   % env NAME=VALUE  sets an environment variable for the run ("{dir}" is the case's directory)
//   % expect-file NAME  the file the program must have left in the case's directory, with the
//                     content of the "| " lines that follow
//   | text            a line of the file above ("|" alone is an empty line)
//   || text           text of the file above without a line end (its last line, usually)
//   % hexfile NAME, % expect-hexfile NAME
//                     the same for a binary file: its "| " lines hold bytes in hexadecimal
//                     ("| 50 36 0A"), with no line ends of their own
//   < text            a line of standard input (a bare "<" is an empty line)
//   > text            a line of expected output (a bare ">" is an empty line)
//   >| text           expected output without a line end (the last prompt, usually)
//   ? N               the expected exit code (0 when there is none)
//   % board SETTING   the VORN_BOARD of the run ("{dir}" is the case's directory); without it the
//                     simulated board in the case's directory, reached through the USB bridge
//   % bridge-only     the case shows what only the USB bridge does: it is not run again on the
//                     mapped bus
// Lines starting with "#" are comments. The memory and register cases run once more on the
// simulated board's mapped bus with each driver variant, with the same expected results.
//
// Cases about start-up show the banner in their expected output. Every other case leaves it out:
// its output must then start with the standard banner, followed under /nocard by the warning
// that the controller was not acquired (unless the case shows it) and otherwise, on the simulated
// bridge, by the transport's configuration line. These are checked and taken off before the
// comparison.
#include <strings.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct Case {
  std::string name;
  std::string source;  // file:line, for failure messages
  std::string path;    // the transcript file and the case's place in it (1 for the first)
  int index = 0;
  std::vector<std::string> args;
  std::vector<std::pair<std::string, std::string>> files;
  std::vector<std::string> env;
  std::string board = "sim:{dir}/board.img";
  bool boardGiven = false;
  bool bridgeOnly = false;
  bool rerun = false;  // run again on another board: its expectation is never updated
  std::vector<std::pair<std::string, std::string>> expectedFiles;
  std::string input;
  std::string expected;
  int exitCode = 0;
};

std::vector<std::string> SplitCommandLine(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false, quoted = false;
  for (char c : text) {
    if (c == '\'') {
      quoted = !quoted;
      inWord = true;
    } else if (c == ' ' && !quoted) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

// The text after a marker of prefix characters and the one blank that may follow it.
std::string Rest(const std::string& line, size_t prefix) {
  if (line.size() > prefix && line[prefix] == ' ') prefix++;
  return line.size() > prefix ? line.substr(prefix) : std::string();
}

std::vector<Case> LoadFile(const std::string& path, const std::string& stem) {
  std::vector<Case> cases;
  std::ifstream in(path);
  std::string line;
  int lineNo = 0;
  std::string* fileBody = nullptr;
  bool hexBody = false;
  while (std::getline(in, line)) {
    lineNo++;
    if (line.rfind("===", 0) == 0) {
      cases.emplace_back();
      cases.back().name = stem + "_" + std::to_string(cases.size());
      cases.back().source = path + ":" + std::to_string(lineNo) + " " + Rest(line, 3);
      cases.back().path = path;
      cases.back().index = static_cast<int>(cases.size());
      fileBody = nullptr;
      continue;
    }
    if (cases.empty() || line.empty() || line[0] == '#') continue;
    Case& c = cases.back();
    if (line.rfind("$ ", 0) == 0) {
      c.args = SplitCommandLine(Rest(line, 1));
    } else if (line.rfind("% file ", 0) == 0 || line.rfind("% hexfile ", 0) == 0) {
      hexBody = line[2] == 'h';
      c.files.emplace_back(Rest(line, hexBody ? 9 : 6), "");
      fileBody = &c.files.back().second;
    } else if (line.rfind("% env ", 0) == 0) {
      c.env.push_back(Rest(line, 5));
    } else if (line.rfind("% board ", 0) == 0) {
      c.board = Rest(line, 7);
      c.boardGiven = true;
    } else if (line == "% bridge-only") {
      c.bridgeOnly = true;
    } else if (line.rfind("% expect-file ", 0) == 0 || line.rfind("% expect-hexfile ", 0) == 0) {
      hexBody = line[9] == 'h';
      c.expectedFiles.emplace_back(Rest(line, hexBody ? 16 : 13), "");
      fileBody = &c.expectedFiles.back().second;
    } else if (line[0] == '|' && fileBody != nullptr && hexBody) {
      std::istringstream bytes(Rest(line, 1));
      for (unsigned value = 0; bytes >> std::hex >> value;) *fileBody += static_cast<char>(value);
    } else if (line.rfind("||", 0) == 0 && fileBody != nullptr) {
      *fileBody += Rest(line, 2);
    } else if (line[0] == '|' && fileBody != nullptr) {
      *fileBody += Rest(line, 1) + "\n";
    } else if (line[0] == '<') {
      c.input += Rest(line, 1) + "\n";
    } else if (line.rfind(">|", 0) == 0) {
      c.expected += Rest(line, 2);
    } else if (line[0] == '>') {
      c.expected += Rest(line, 1) + "\n";
    } else if (line[0] == '?') {
      c.exitCode = std::atoi(Rest(line, 1).c_str());
    }
  }
  return cases;
}

// The cases of the memory and register transcripts, on the simulated board's mapped bus with
// the HCL flags given (variant A: 0800h, B: 0000h).
std::vector<Case> OnMappedBus(const std::string& hclFlags) {
  std::vector<Case> cases;
  for (const char* stem : {"memory", "registers"}) {
    for (Case c : LoadFile(std::string(TRANSCRIPT_DIR) + "/" + stem + ".vt", stem)) {
      if (c.boardGiven || c.bridgeOnly) continue;
      c.board = "simbus:{dir}/board.img,hcl=" + hclFlags;
      c.source += " (on VORN_BOARD=" + c.board + ")";
      c.rerun = true;
      cases.push_back(c);
    }
  }
  return cases;
}

std::vector<Case> LoadAll() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(TRANSCRIPT_DIR)) {
    if (entry.path().extension() == ".vt") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  std::vector<Case> all;
  for (const auto& file : files) {
    std::vector<Case> cases = LoadFile(file.string(), file.stem().string());
    all.insert(all.end(), cases.begin(), cases.end());
  }
  return all;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "(no such file)";
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A word for the shell, taken literally.
std::string Quote(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

struct RunResult {
  std::string output;  // standard output and standard error
  int exitCode = -1;
  bool timedOut = false;
};

// Runs vorn in dir (with the case's files) on a simulated board of its own there. Standard input
// and output go through files next to dir.
RunResult RunVorn(const Case& c, const std::string& dir) {
  for (const auto& [name, body] : c.files) {
    std::filesystem::create_directories(std::filesystem::path(dir + "/" + name).parent_path());
    std::ofstream(dir + "/" + name, std::ios::binary) << body;
  }
  std::ofstream(dir + ".in", std::ios::binary) << c.input;
  // setsid: a session of its own, without a controlling terminal, as in a pipeline run by a
  // service, so the prompts that ask the terminal (the pager, the assertion) find none.
  auto inDir = [&dir](std::string text) {
    for (size_t at; (at = text.find("{dir}")) != std::string::npos;) text.replace(at, 5, dir);
    return text;
  };
  std::string command = "cd " + Quote(dir) +
                        " && setsid -w env VORN_BOARD=" + Quote(inDir(c.board)) +
                        " XDG_RUNTIME_DIR=" + Quote(dir) + " QDXBOARD=e2e$$";
  for (const std::string& setting : c.env) command += " " + Quote(inDir(setting));
  command += " timeout -k 1 10 " + Quote(VORN_BINARY);
  for (const std::string& arg : c.args) command += " " + Quote(arg);
  command += " <" + Quote(dir + ".in") + " >" + Quote(dir + ".out") + " 2>&1";
  int status = std::system(command.c_str());
  RunResult r;
  r.output = ReadFile(dir + ".out");
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.timedOut = r.exitCode == 124 || r.exitCode == 137;
  return r;
}

// A fresh directory for one test, removed with its input and output files.
struct CaseDir {
  CaseDir() {
    char name[] = "/tmp/vorn-e2e-XXXXXX";
    EXPECT_NE(mkdtemp(name), nullptr);
    path = name;
  }
  ~CaseDir() {
    std::filesystem::remove_all(path);
    std::filesystem::remove(path + ".in");
    std::filesystem::remove(path + ".out");
  }
  std::string path;
};

constexpr std::string_view kBanner =
    "77Q41VORN - test utility - Build 87 [L:74]\n"
    "77Q41 hardware abstraction layer, USB bridge and mapped bus\n"
    "Configuration CRC B1E4h (OK)\n\n";
constexpr std::string_view kNoCardWarning =
    "!!!!! WARNING: Detected /nocard switch!\n"
    "!!!!! The LCD controller was not acquired.\n"
    "!!!!! Only the HELP command is supported in this mode.\n\n";
constexpr std::string_view kBridgeLine = "\nCSCL:MGE Regs: 0x41 0x55 0xaa 0x5f 0xaa 0xaa\n";

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Takes prefix off the start of text; false when it is not there.
bool TakeOff(std::string* text, std::string_view prefix) {
  if (!StartsWith(*text, prefix)) return false;
  text->erase(0, prefix.size());
  return true;
}

bool NoCard(const Case& c) {
  return std::any_of(c.args.begin(), c.args.end(),
                     [](const std::string& a) { return strcasecmp(a.c_str(), "/nocard") == 0; });
}

// Takes the start-up lines off output when the case leaves them out of its expectation; false
// when they are not there to take.
bool TakeStartUp(const Case& c, std::string* output) {
  if (StartsWith(c.expected, kBanner.substr(0, 9))) return true;
  // A run that starts with a Linux option (-q, --help, ...) may print no banner at all.
  if (!c.args.empty() && c.args[0][0] == '-' && !StartsWith(*output, kBanner)) return true;
  if (!TakeOff(output, kBanner)) return false;
  if (NoCard(c)) return StartsWith(c.expected, kNoCardWarning) || TakeOff(output, kNoCardWarning);
  if (!StartsWith(c.expected, kBridgeLine)) TakeOff(output, kBridgeLine);
  return true;
}

// With VORN_UPDATE_TRANSCRIPTS set (and the cases run one at a time, not by ctest -j), a case
// whose output differs gets the actual output as its expectation; review the change with git
// diff before committing it.
void UpdateExpectation(const Case& c, const std::string& output) {
  std::ifstream in(c.path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  in.close();
  int seen = 0;
  size_t at = 0, end = lines.size(), firstOut = std::string::npos;
  for (size_t i = 0; i < lines.size(); i++) {
    if (lines[i].rfind("===", 0) != 0) continue;
    if (++seen == c.index) at = i + 1;
    if (seen == c.index + 1) end = i;
  }
  // The output goes where it stood, else before the exit code, else after the case's last line.
  std::vector<std::string> kept;
  size_t exitLine = std::string::npos, lastLine = 0;
  for (size_t i = at; i < end; i++) {
    bool isOutput = !lines[i].empty() && lines[i][0] == '>';
    if (isOutput && firstOut == std::string::npos) firstOut = kept.size();
    if (isOutput) continue;
    if (!lines[i].empty() && lines[i][0] == '?') exitLine = kept.size();
    kept.push_back(lines[i]);
    if (!lines[i].empty()) lastLine = kept.size();
  }
  if (firstOut == std::string::npos) firstOut = exitLine != std::string::npos ? exitLine : lastLine;
  std::vector<std::string> fresh;
  size_t from = 0;
  for (size_t lf; (lf = output.find('\n', from)) != std::string::npos; from = lf + 1) {
    std::string text = output.substr(from, lf - from);
    fresh.push_back(text.empty() ? ">" : "> " + text);
  }
  if (from < output.size()) fresh.push_back(">| " + output.substr(from));
  kept.insert(kept.begin() + static_cast<long>(firstOut), fresh.begin(), fresh.end());
  lines.erase(lines.begin() + static_cast<long>(at), lines.begin() + static_cast<long>(end));
  lines.insert(lines.begin() + static_cast<long>(at), kept.begin(), kept.end());
  std::ofstream out(c.path, std::ios::binary);
  for (size_t i = 0; i < lines.size(); i++) out << lines[i] << (i + 1 < lines.size() ? "\n" : "");
}

// Failure messages name the case by its place in the transcript file.
void PrintTo(const Case& c, std::ostream* os) {
  *os << c.source;
}

class Transcript : public ::testing::TestWithParam<Case> {};

TEST_P(Transcript, MatchesOutputAndExitCode) {
  const Case& c = GetParam();
  CaseDir dir;
  RunResult r = RunVorn(c, dir.path);
  SCOPED_TRACE(c.source);
  EXPECT_FALSE(r.timedOut);
  EXPECT_TRUE(TakeStartUp(c, &r.output)) << "no start-up lines in:\n" << r.output;
  EXPECT_EQ(r.output, c.expected);
  if (r.output != c.expected && !c.rerun && std::getenv("VORN_UPDATE_TRANSCRIPTS") != nullptr) {
    UpdateExpectation(c, r.output);
  }
  EXPECT_EQ(r.exitCode, c.exitCode);
  for (const auto& [name, body] : c.expectedFiles) {
    EXPECT_EQ(ReadFile(dir.path + "/" + name), body) << name;
  }
}

std::string CaseName(const ::testing::TestParamInfo<Case>& param) {
  return param.param.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, Transcript, ::testing::ValuesIn(LoadAll()), CaseName);
INSTANTIATE_TEST_SUITE_P(MappedBusA, Transcript, ::testing::ValuesIn(OnMappedBus("0800")),
                         CaseName);
INSTANTIATE_TEST_SUITE_P(MappedBusB, Transcript, ::testing::ValuesIn(OnMappedBus("0000")),
                         CaseName);

// Two processes that name their lock differently, on one board file, each writing its own
// numbers to its own address and reading every one back; the second reaches the board through the
// bridge or through the mapped bus. The memory engine's address is one for the whole board, so
// without one lock between them a process would move it under the other.
TEST(SharedBoard, DifferentQdxboardValuesShareTheBoardFilesLock) {
  for (const char* bus : {"sim:", "simbus:"}) {
    SCOPED_TRACE(bus);
    CaseDir first, second;
    Case one;
    one.files = {{"writer.txt",
                  "VERBOSE CMD:OFF SET:OFF\n"
                  "set $a arg[1].n\n"
                  "set $base arg[2].n\n"
                  "set $i 0\n"
                  "set $bad 0\n"
                  "while $i<20000t do set $i $i+1; set disp32[$a] $i+$base; "
                  "if disp32[$a]!=$i+$base then set $bad $bad+1\n"
                  "print \"bad=\" $bad.s \"\\n\"\n"}};
    one.args = {"-q", "writer", "100", "0"};
    one.env = {"QDXBOARD=one"};
    Case two = one;
    two.args = {"-q", "writer", "200", "80000000"};
    two.env = {"QDXBOARD=two", std::string("VORN_BOARD=") + bus + first.path + "/board.img"};
    RunResult fromTwo;
    std::thread other([&] { fromTwo = RunVorn(two, second.path); });
    EXPECT_EQ(RunVorn(one, first.path).output, "bad=0\n");
    other.join();
    EXPECT_EQ(fromTwo.output, "bad=0\n");
    Case check;
    check.args = {"-q", "r32", "100", "200"};
    EXPECT_EQ(RunVorn(check, first.path).output,
              "00000100:  00004E20  ' N..'\n00000200:  80004E20  ' N..'\n");
  }
}

// A script that could only run cut is refused whole, and the board stays as it was: one larger
// than a script may be, or one with a NUL byte. One byte less than the limit still runs.
TEST(ScriptLimits, OversizedOrNulScriptsAreRefusedWhole) {
  const std::string pad(204799 - 7 - 2, 'x');
  const struct {
    const char* name;
    std::string text;
    std::string message;
  } rows[] = {
      {"big", "w 10 5\n'" + pad + "yz\n", "is larger than 204799 bytes (line 2)"},
      {"nul", std::string("w 10 5\nw 12 6\0 7\nw 14 8\n", 20), "holds a NUL byte (line 2)"},
  };
  for (const auto& row : rows) {
    CaseDir dir;
    Case run;
    run.files = {{std::string(row.name) + ".txt", row.text}};
    run.args = {"-q", row.name};
    RunResult r = RunVorn(run, dir.path);
    EXPECT_EQ(r.output, "ERROR: Script file '" + dir.path + "/" + row.name + ".txt' " +
                            row.message + "; nothing of it was run.\n");
    EXPECT_EQ(r.exitCode, 1);
    Case check;
    check.args = {"-q", "r", "10", "12", "14"};
    EXPECT_EQ(RunVorn(check, dir.path).output,
              "00000010:  0000  '..'\n00000012:  0000  '..'\n00000014:  0000  '..'\n");
  }
  CaseDir dir;
  Case limit;
  limit.files = {{"limit.txt", "w 10 5\n'" + pad + "\n"}};
  limit.args = {"-q", "limit"};
  EXPECT_EQ(RunVorn(limit, dir.path).exitCode, 0);
  limit.args = {"-q", "r", "10"};
  EXPECT_EQ(RunVorn(limit, dir.path).output, "00000010:  0005  '..'\n");
}

// A NUL byte would end a typed line early: the line is refused whole, the next one runs.
TEST(InputLimits, ALineWithANulByteIsRefusedWhole) {
  CaseDir dir;
  Case run;
  run.args = {"-q"};
  run.input = std::string("w 30 1\0 2\nr 30 32\n", 18);
  EXPECT_EQ(RunVorn(run, dir.path).output,
            "=w 30 1\nERROR: Line holds a NUL byte; it was refused.\n"
            "=r 30 32\n00000030:  0000  '..'\n00000032:  0000  '..'\n\n=");
}

}  // namespace

// SHOW ANI on piped keys: SPACE pauses it, SPACE again shows one more frame, another key resumes
// it, and the end of input stops it: three frames of MEM, each in the next 16-byte block. Frame
// k of a 2 x 2 ARGB 8888 FILL moved by 20 has its first pixel red max(20k, (255 - 20k) / 4), green
// and blue 255 / 4.
TEST(ShowAnimation, SpaceStepsOneFrameAndAnotherKeyResumes) {
  CaseDir dir;
  Case show;
  show.input = "show fill w=2 h=2 mem sa=100 f=125 ani g=20\n  \n";
  EXPECT_EQ(RunVorn(show, dir.path).exitCode, 0);
  Case check;
  check.args = {"-q", "r32", "100", "110", "120", "130"};
  std::string output = RunVorn(check, dir.path).output;
  for (const char* frame : {"00000100:  003F3F3F", "00000110:  00503F3F", "00000120:  00A03F3F",
                            "00000130:  00000000"}) {
    EXPECT_NE(output.find(frame), std::string::npos) << frame << " in\n" << output;
  }
}
