#include "interp/runner.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "base/helper.h"
#include "console/output.h"
#include "interp/dispatch.h"
#include "interp/session.h"
#include "lang/evaluate.h"
#include "lang/number.h"
#include "lang/variables.h"
#include "platform/console.h"
#include "platform/timing.h"

namespace {

struct Section {
  std::string name;
  size_t offset = 0;  // where the word "section" stands
};

struct ScriptContext {
  std::string text;      // the whole file, at most kScriptTextSize - 1 characters
  size_t position = 0;   // where the next line starts; GOTO moves it
  size_t lineBegin = 0;  // where the line that runs now starts
  std::vector<Section> sections;
  std::vector<std::string> args;  // args[0] is the name as typed
  std::string scope;              // the name as typed and the depth: "init.txt1"
  uint32_t outerMask = CH_ALL;    // the caller's own console channels, back when this run ends
  Value retval = Value::Number(0);
  ScriptFrame frame;  // what the language sees of this run
};

struct RunnerState {
  ScriptContext contexts[kMaxScriptDepth];
  int depth = 0;                     // scripts running; 0 at the prompt
  ScriptContext* current = nullptr;  // the innermost run
  std::string searchPath[kSearchPathEntries];
  bool searchPathReady = false;
  uint64_t lastKeyLook = 0;  // when EscapePressed last read the keyboard
};
RunnerState Runner;

// The keyboard is read at most this often by EscapePressed.
constexpr uint64_t kKeyLookIntervalNs = 20'000'000;
// The lines at the top of a script searched for an early VERBOSE.
constexpr int kEarlyVerboseLines = 5;
constexpr const char* kStepPrompt = "Press any key to continue or ESC to exit...";

void PrepareSearchPath() {
  if (Runner.searchPathReady) return;
  Runner.searchPathReady = true;
  char cwd[kSearchPathSize];
  if (getcwd(cwd, sizeof cwd - 1) != nullptr) Runner.searchPath[0] = std::string(cwd) + "/";
}

// The file name a script word stands for when no file has the name as typed: a plain number
// literal as typed, else the word evaluated in the caller's scope, else the word as typed.
std::string EvaluatedScriptName(const char* word) {
  int radix = 0;
  if (GetNumberRadix(word, DefaultRadix, &radix)) return word;
  Value v;
  const char* message = nullptr;
  if (Evaluate(word, &v, &message) != 0) return word;
  if (v.isText) return v.text;
  char digits[kNumStrSize];
  return NumToStr(digits, v.number, 16, 0);
}

// Opens path when it names a regular file (a directory would open but never read).
FILE* OpenRegularFile(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return nullptr;
  struct stat st {};
  if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
    std::fclose(f);
    return nullptr;
  }
  return f;
}

// Tries every search-path entry with the name, then the name and ".txt". lastTried receives the
// last path tried, which is the one opened when one opens.
FilePtr OpenScript(const std::string& name, std::string* lastTried) {
  PrepareSearchPath();
  for (const std::string& entry : Runner.searchPath) {
    *lastTried = entry + name;
    if (FILE* f = OpenRegularFile(*lastTried)) return FilePtr(f);
    *lastTried += ".txt";
    if (FILE* f = OpenRegularFile(*lastTried)) return FilePtr(f);
  }
  return nullptr;
}

// A script argument as the callee sees it: a number as hexadecimal digits and "h", a text as
// it is, and a word that does not evaluate as typed.
std::string EvaluatedArgument(const char* word, const char* callerScope) {
  Value v;
  const char* message = nullptr;
  if (Evaluate(word, &v, callerScope, &message) != 0) return word;
  if (v.isText) return v.text;
  char digits[kNumStrSize];
  return std::string(NumToStr(digits, v.number, 16, 0)) + "h";
}

// The line number (from 1) of the line that holds offset; CR LF, CR and LF each end a line.
unsigned LineNumberAt(std::string_view text, size_t offset) {
  unsigned line = 1;
  for (size_t i = 0; i < offset && i < text.size(); i++) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
      line++;
    }
  }
  return line;
}

// Reads the whole file. A file larger than a script may be, or one that holds a NUL byte, is
// refused whole with its message: run cut, it would stop in the middle of a line.
bool ReadText(FILE* f, const std::string& path, std::string* text) {
  text->resize(kScriptTextSize);  // one byte more than a script may hold, to see a larger one
  size_t n = std::fread(text->data(), 1, text->size(), f);
  text->resize(n);
  if (n == kScriptTextSize) {
    return OutPrintf(CH_ERR,
                     "ERROR: Script file '%s' is larger than %zu bytes (line %u); nothing of it "
                     "was run.\n",
                     path.c_str(), kScriptTextSize - 1, LineNumberAt(*text, kScriptTextSize - 1));
  }
  size_t nul = text->find('\0');
  if (nul != std::string::npos) {
    return OutPrintf(CH_ERR,
                     "ERROR: Script file '%s' holds a NUL byte (line %u); nothing of it was run.\n",
                     path.c_str(), LineNumberAt(*text, nul));
  }
  return true;
}

bool EndsName(char c) {
  return IsBlank(c) || c == '\r' || c == '\n';
}

// Records every occurrence of the word "section", wherever it stands, with the word after it.
void ScanSections(ScriptContext* ctx) {
  static constexpr std::string_view kWord = "section";
  std::string_view text = ctx->text;
  size_t at = FindNoCase(text, kWord);
  while (at != std::string_view::npos) {
    if (ctx->sections.size() == kMaxSections) {
      OutPrintf(CH_ERR, "ERROR: Too many sections defined (currently cannot exceed %d).\n",
                static_cast<int>(kMaxSections));
      return;
    }
    size_t begin = at + kWord.size();
    while (begin < text.size() && IsBlank(text[begin])) begin++;
    size_t end = begin;
    while (end < text.size() && !EndsName(text[end])) end++;
    if (end - begin >= kSectionNameSize) {
      OutPrintf(CH_ERR, "ERROR: Section name must not exceed %d characters.\n",
                static_cast<int>(kSectionNameSize));
      return;
    }
    ctx->sections.push_back({std::string(text.substr(begin, end - begin)), at});
    size_t next = FindNoCase(text.substr(end), kWord);
    at = next == std::string_view::npos ? next : end + next;
  }
}

void ReportDuplicateSections(const ScriptContext& ctx) {
  const std::vector<Section>& s = ctx.sections;
  for (size_t i = 0; i < s.size(); i++) {
    if (s[i].name.empty()) continue;
    for (size_t j = i + 1; j < s.size(); j++) {
      if (EqualsNoCase(s[i].name, s[j].name)) {
        OutPrintf(CH_ERR, "ERROR: Section name \"%s\" is defined more than once.\n",
                  s[i].name.c_str());
        break;
      }
    }
  }
}

// Runs the first line among the first few that begins with VERBOSE, so that a script can
// silence its own echo from its first line. False when that line fails.
bool RunEarlyVerbose(const std::string& text) {
  size_t begin = 0;
  for (int line = 0; line < kEarlyVerboseLines && begin <= text.size(); line++) {
    size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    size_t length = end - begin;
    if (length > 0 && text[begin + length - 1] == '\r') length--;
    std::string_view view(text.data() + begin, length);
    if (StartsWithNoCase(view, "verbose")) return ExecuteLine(view.data(), view.size(), nullptr);
    begin = end + 1;
  }
  return true;
}

// Waits for one key at the single-step pause and erases the pause text. True for ESC.
bool StepPause() {
  ConsoleWrite(kStepPrompt);
  ConsoleFlush();
  int key = ConsoleReadKeyPress();
  size_t n = std::strlen(kStepPrompt);
  ConsoleWrite(std::string(n, '\b') + std::string(n, ' ') + std::string(n, '\b'));
  ConsoleFlush();
  return key == kKeyEsc;
}

// The main loop of a run. True when every line succeeded.
bool RunLines(ScriptContext* ctx) {
  const std::string& text = ctx->text;
  while (!Shell.QuitRequested && ctx->position < text.size()) {
    size_t begin = ctx->position;
    size_t end = text.find_first_of("\r\n", begin);
    if (end == std::string::npos) end = text.size();
    int length = static_cast<int>(end - begin);
    OutPrintf(CH_CMD, "\n");
    OutPrintf(CH_CMD, "%s%.*s\n", kPrompt, length, text.data() + begin);
    ctx->position = end;
    ctx->lineBegin = begin;
    if (!ExecuteLine(text.data() + begin, end - begin, nullptr)) return false;
    if (Shell.SingleStep && StepPause()) return true;
    if (EscapeOrEndOfInput()) return OutPrintf(CH_ERR, "ERROR: Script stopped with ESC.\n");
    while (ctx->position < text.size() &&
           (text[ctx->position] == '\r' || text[ctx->position] == '\n')) {
      ctx->position++;
    }
  }
  return true;
}

// Makes the context of the new depth current, with its arguments evaluated in the caller's
// scope.
ScriptContext* PushContext(int argc, ArgSlot* argv) {
  const char* callerScope = ScriptScope();
  ScriptContext* ctx = &Runner.contexts[Runner.depth];
  ctx->args.assign(1, argv[0]);
  for (int i = 1; i < argc; i++) ctx->args.push_back(EvaluatedArgument(argv[i], callerScope));
  Runner.depth++;
  Runner.current = ctx;
  ctx->scope = argv[0] + std::to_string(Runner.depth);
  ctx->frame = {&ctx->args, ctx->scope.c_str(), &ctx->retval};
  SetScriptFrame(&ctx->frame);
  ctx->outerMask = Output.ScriptMask;
  Output.ScriptMask = CH_ALL;
  Output.StepOverride = Shell.SingleStep;
  return ctx;
}

void PopContext(Value* result) {
  ScriptContext* ctx = Runner.current;
  *result = ctx->retval;
  DeleteVariables(ctx->scope.c_str());
  Output.ScriptMask = ctx->outerMask;
  *ctx = ScriptContext{};
  Runner.depth--;
  Runner.current = Runner.depth > 0 ? &Runner.contexts[Runner.depth - 1] : nullptr;
  SetScriptFrame(Runner.current != nullptr ? &Runner.current->frame : nullptr);
  Output.StepOverride = Shell.SingleStep && Runner.current != nullptr;
}

}  // namespace

bool RunScript(bool reportMissing, int argc, ArgSlot* argv, Value* result) {
  if (Runner.depth >= kMaxScriptDepth) {
    return OutPrintf(CH_ERR, "ERROR: Exceeded allowed number of nested scripts.\n");
  }
  std::string lastTried;
  FilePtr file = OpenScript(argv[0], &lastTried);
  if (!file) {
    std::string evaluated = EvaluatedScriptName(argv[0]);
    if (evaluated != argv[0]) file = OpenScript(evaluated, &lastTried);
  }
  if (!file) {
    if (!reportMissing) return false;
    return OutPrintf(CH_ERR,
                     "ERROR: '%s' is not a valid command or script file which can be opened.\n",
                     lastTried.c_str());
  }
  std::string text;
  bool readable = ReadText(file.get(), lastTried, &text);
  file.reset();
  if (!readable) return false;
  ScriptContext* ctx = PushContext(argc, argv);
  ctx->text = std::move(text);
  ScanSections(ctx);
  ReportDuplicateSections(*ctx);
  bool completed = RunEarlyVerbose(ctx->text) && RunLines(ctx);
  PopContext(result);
  return completed;
}

void SetSingleStep(bool on) {
  Shell.SingleStep = on;
  Output.StepOverride = on && Runner.current != nullptr;
}

bool GotoSection(const char* name) {
  if (Runner.current == nullptr) return false;
  for (const Section& s : Runner.current->sections) {
    if (EqualsNoCase(s.name, name)) {
      Runner.current->position = s.offset;
      return true;
    }
  }
  return false;
}

const std::string& SearchPathEntry(size_t n) {
  PrepareSearchPath();
  return Runner.searchPath[n];
}

void SetSearchPathEntry(size_t n, const std::string& path) {
  PrepareSearchPath();
  Runner.searchPath[n] = path.substr(0, kSearchPathSize - 1);
}

std::string ScriptLineText() {
  const ScriptContext* ctx = Runner.current;
  if (ctx == nullptr) return "";
  return " in line " + std::to_string(LineNumberAt(ctx->text, ctx->lineBegin)) + " of '" +
         ctx->args[0] + "'";
}

bool EscapeOrEndOfInput() {
  return ConsoleAtEnd() || EscapePressed();
}

bool EscapePressed() {
  if (!ConsoleIsTerminal()) return false;
  uint64_t now = MonotonicNanoseconds();
  if (now - Runner.lastKeyLook < kKeyLookIntervalNs) return false;
  Runner.lastKeyLook = now;
  while (ConsoleKeyPending()) {
    if (ConsoleReadKeyPress() == kKeyEsc) return true;
  }
  return false;
}
