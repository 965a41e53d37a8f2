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
//   < text            a line of standard input (a bare "<" is an empty line)
//   > text            a line of expected output (a bare ">" is an empty line)
//   >| text           expected output without a line end (the last prompt, usually)
//   ? N               the expected exit code
// Lines starting with "#" are comments.
//
// Cases about start-up show the banner in their expected output. Every other case leaves it out:
// its output must then start with the standard banner (and, on the simulated bridge, the
// transport's configuration line), which is checked and taken off before the comparison.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
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
    } else if (line.rfind("% file ", 0) == 0) {
      c.files.emplace_back(Rest(line, 6), "");
      fileBody = &c.files.back().second;
    } else if (line.rfind("% env ", 0) == 0) {
      c.env.push_back(Rest(line, 5));
    } else if (line.rfind("% expect-file ", 0) == 0) {
      c.expectedFiles.emplace_back(Rest(line, 13), "");
      fileBody = &c.expectedFiles.back().second;
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

std::vector<Case> LoadAll() {
  std::vector<Case> all;
  DIR* dir = opendir(TRANSCRIPT_DIR);
  if (dir == nullptr) return all;
  std::vector<std::string> names;
  while (dirent* e = readdir(dir)) {
    std::string n = e->d_name;
    if (n.size() > 3 && n.substr(n.size() - 3) == ".vt") names.push_back(n);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  for (const std::string& n : names) {
    auto cases = LoadFile(std::string(TRANSCRIPT_DIR) + "/" + n, n.substr(0, n.size() - 3));
    all.insert(all.end(), cases.begin(), cases.end());
  }
  return all;
}

struct RunResult {
  std::string output;
  int exitCode = -1;
  bool timedOut = false;
};

// Creates the directories a file name holds ("sub/a.txt") before the file.
void WriteFile(const std::string& path, const std::string& body) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    mkdir(path.substr(0, slash).c_str(), 0755);
  }
  std::ofstream(path, std::ios::binary) << body;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "(no such file)";
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

RunResult RunVorn(const Case& c, const std::string& dir) {
  for (const auto& [name, body] : c.files) WriteFile(dir + "/" + name, body);
  int inPipe[2], outPipe[2];
  if (pipe(inPipe) != 0 || pipe(outPipe) != 0) return {};
  pid_t pid = fork();
  if (pid == 0) {
    dup2(inPipe[0], 0);
    dup2(outPipe[1], 1);
    dup2(outPipe[1], 2);
    close(inPipe[1]);
    close(outPipe[0]);
    // A session of its own: no controlling terminal, as in a pipeline run by a service, so the
    // prompts that ask the terminal (the pager, the assertion) find none.
    setsid();
    if (chdir(dir.c_str()) != 0) _exit(126);
    std::string board = "VORN_BOARD=sim:" + dir + "/board.img";
    putenv(board.data());
    std::string runtime = "XDG_RUNTIME_DIR=" + dir;
    putenv(runtime.data());
    std::string lock = "QDXBOARD=e2e" + std::to_string(getpid());
    putenv(lock.data());
    std::vector<std::string> env = c.env;
    for (std::string& setting : env) {
      for (size_t at; (at = setting.find("{dir}")) != std::string::npos;) {
        setting.replace(at, 5, dir);
      }
      putenv(setting.data());
    }
    std::vector<char*> argv{const_cast<char*>(VORN_BINARY)};
    for (const std::string& a : c.args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(VORN_BINARY, argv.data());
    _exit(127);
  }
  close(inPipe[0]);
  close(outPipe[1]);
  signal(SIGPIPE, SIG_IGN);
  if (!c.input.empty()) {
    ssize_t ignored = write(inPipe[1], c.input.data(), c.input.size());
    (void)ignored;
  }
  close(inPipe[1]);
  RunResult r;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  char buf[4096];
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd p{outPipe[0], POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) {
      r.timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
    ssize_t n = read(outPipe[0], buf, sizeof buf);
    if (n <= 0) break;
    r.output.append(buf, static_cast<size_t>(n));
  }
  close(outPipe[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return r;
}

constexpr std::string_view kBanner =
    "77Q41VORN - test utility - Build 87 [L:74]\n"
    "77Q41 hardware abstraction layer, USB bridge and mapped bus\n"
    "Configuration CRC B1E4h (OK)\n\n";
constexpr std::string_view kBridgeLine = "\nCSCL:MGE Regs: 0x41 0x55 0xaa 0x5f 0xaa 0xaa\n";

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Takes the start-up lines off output when the case leaves them out of its expectation; false
// when they are not there to take.
bool TakeStartUp(const Case& c, std::string* output) {
  const std::string& expected = c.expected;
  if (StartsWith(expected, kBanner.substr(0, 9))) return true;
  // A run that starts with a Linux option (-q, --help, ...) may print no banner at all.
  if (!c.args.empty() && c.args[0][0] == '-' && !StartsWith(*output, kBanner)) return true;
  if (!StartsWith(*output, kBanner)) return false;
  output->erase(0, kBanner.size());
  if (StartsWith(*output, kBridgeLine) && !StartsWith(expected, kBridgeLine)) {
    output->erase(0, kBridgeLine.size());
  }
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
  char tmpl[] = "/tmp/vorn-e2e-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  RunResult r = RunVorn(c, tmpl);
  std::vector<std::string> leftFiles;
  for (const auto& file : c.expectedFiles) {
    leftFiles.push_back(ReadFile(std::string(tmpl) + "/" + file.first));
  }
  std::string cleanup = std::string("rm -rf ") + tmpl;
  EXPECT_EQ(std::system(cleanup.c_str()), 0);
  SCOPED_TRACE(c.source);
  EXPECT_FALSE(r.timedOut);
  EXPECT_TRUE(TakeStartUp(c, &r.output)) << "no start-up banner in:\n" << r.output;
  EXPECT_EQ(r.output, c.expected);
  if (r.output != c.expected && std::getenv("VORN_UPDATE_TRANSCRIPTS") != nullptr) {
    UpdateExpectation(c, r.output);
  }
  EXPECT_EQ(r.exitCode, c.exitCode);
  for (size_t i = 0; i < c.expectedFiles.size(); i++) {
    EXPECT_EQ(leftFiles[i], c.expectedFiles[i].second) << c.expectedFiles[i].first;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, Transcript, ::testing::ValuesIn(LoadAll()),
                         [](const ::testing::TestParamInfo<Case>& param) {
                           return param.param.name;
                         });

}  // namespace
