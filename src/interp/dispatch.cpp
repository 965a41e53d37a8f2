#include "interp/dispatch.h"

#include <cstring>
#include <memory>

#include "base/helper.h"
#include "console/output.h"
#include "interp/runner.h"
#include "interp/session.h"
#include "lang/expression_text.h"
#include "lang/tokens.h"

namespace {

bool IsSpaceOrTab(char c) {
  return c == ' ' || c == '\t';
}

// One statement of a line, as the scan finds it; offsets are relative to the scanned text.
struct Statement {
  size_t begin = 0;        // start of the statement text (after "= " in the assignment form)
  size_t end = 0;          // where the scan stopped
  size_t targetBegin = 0;  // the assignment target, when targetEnd > targetBegin
  size_t targetEnd = 0;
  bool moreFollow = false;  // stopped at a ";" with more text after it
};

// IF and WHILE own the whole rest of their line, semicolons and quotes included.
bool OwnsWholeLine(std::string_view firstWord) {
  return EqualsNoCase(firstWord, "if") || EqualsNoCase(firstWord, "while");
}

Statement ScanStatement(const char* text, size_t length) {
  size_t first = 0;
  while (first < length && IsSpaceOrTab(text[first])) first++;
  size_t wordEnd = first;
  while (wordEnd < length && !IsSpaceOrTab(text[wordEnd])) wordEnd++;
  bool splitMode = !OwnsWholeLine(std::string_view(text + first, wordEnd - first));

  Statement s;
  bool inQuotes = false;
  bool spaceSeen = false;
  size_t i = first;
  for (; i < length; i++) {
    char c = text[i];
    if (c == ' ' && !spaceSeen) {
      spaceSeen = true;
      if (i + 2 < length && text[i + 1] == '=' && text[i + 2] == ' ') {
        s.targetBegin = first;
        s.targetEnd = i;
        s.begin = i + 2;
        i += 2;
        continue;
      }
      if (!splitMode) {
        i = length;
        break;
      }
    }
    if (c == '"' && QuoteToggles(std::string_view(text, length), i)) {
      inQuotes = !inQuotes;
    } else if (!inQuotes && splitMode && (c == '\'' || c == ';')) {
      s.moreFollow = c == ';';
      break;
    }
  }
  s.end = i;
  while (s.begin < s.end && text[s.begin] == ' ') s.begin++;
  return s;
}

// Stores a statement's result in its assignment target; prints the caret and message on failure.
bool StoreResult(size_t targetColumn, std::string_view target, const Value& result) {
  bool echo = ChannelShown(CH_SET);
  const char* message = "";
  int pos = AssignTarget(target, result, echo, &message);
  if (pos == 0) return true;
  return ShowErrorAt(static_cast<int>(targetColumn) + pos - 1, "ERROR: %s\n", message);
}

// Runs the statement s found in text (which starts at column offset of the line). flag is set
// as ExecuteLine describes.
bool RunStatement(const char* text, size_t offset, const Statement& s, bool* flag) {
  if (s.begin >= s.end) return true;
  // Each statement has words of its own, on the heap: statements nest through IF, WHILE and
  // scripts, and a nested one must not overwrite its caller's words.
  auto words = std::make_unique<StatementWords>();
  int argc = SplitArgs(text + s.begin, s.end - s.begin, words->argv);
  words->argc = argc;
  size_t firstWord = s.begin;
  while (firstWord < s.end && IsSpaceOrTab(text[firstWord])) firstWord++;
  StatementColumnScope column(offset + firstWord);
  if (argc == 0) {
    *flag = false;
    return true;
  }
  // A command that gives no result leaves the number 0 for the assignment form.
  Value result = Value::Number(0);
  if (!DispatchCommand(argc, words->argv, &result)) return false;
  if (s.targetEnd > s.targetBegin) {
    std::string_view target(text + s.targetBegin, s.targetEnd - s.targetBegin);
    if (!StoreResult(offset + s.targetBegin, target, result)) return false;
  }
  *flag = true;
  return true;
}

// Every statement of the line measured before any of them runs: a statement with too many words
// or a word longer than a slot would run cut, so the whole line is refused with its message.
bool LineWithinLimits(const char* line, size_t length) {
  for (size_t offset = 0;;) {
    Statement s = ScanStatement(line + offset, length - offset);
    if (s.begin < s.end) {
      bool wordCut = false;
      int argc = SplitArgs(line + offset + s.begin, s.end - s.begin, nullptr, &wordCut);
      if (argc >= kMaxArgs) {
        return OutPrintf(CH_ERR, "ERROR: Too many arguments (max %u)%s.\n", kMaxArgs - 1,
                         ScriptLineText().c_str());
      }
      if (wordCut) {
        return OutPrintf(CH_ERR, "ERROR: Argument longer than %zu characters%s.\n", kArgSize - 1,
                         ScriptLineText().c_str());
      }
    }
    if (!s.moreFollow) return true;
    offset += s.end + 1;
  }
}

}  // namespace

bool ExecuteLine(const char* line, size_t length, bool* executed) {
  if (!LineWithinLimits(line, length)) return false;
  bool unused = false;
  bool* firstFlag = executed != nullptr ? executed : &unused;
  // Statements after the first report only when the whole rest of the line succeeds.
  bool laterRan = false;
  size_t offset = 0;
  for (bool first = true;; first = false) {
    Statement s = ScanStatement(line + offset, length - offset);
    bool flag = false;
    bool* target = first ? firstFlag : &flag;
    if (!RunStatement(line + offset, offset, s, target)) return false;
    laterRan = laterRan || (!first && flag);
    if (!s.moreFollow) break;
    offset += s.end + 1;
  }
  if (laterRan) *firstFlag = true;
  return true;
}

bool DispatchCommand(int argc, ArgSlot* argv, Value* result) {
  if (argc < 1) return true;
  // Command words match without regard to case; a script's name keeps the case it was typed in.
  char typed[kArgSize];
  std::memcpy(typed, argv[0], kArgSize);
  LowerInPlace(argv[0]);
  const CommandRow* row = nullptr;
  if (!FindCommand(argv[0], &row)) {
    std::memcpy(argv[0], typed, kArgSize);
    return RunScript(true, argc, argv, result);
  }
  bool asksForHelp = argc == 2 && argv[1][0] == '?';
  if (!Shell.CardPresent && !row->allowedWithoutCard && !asksForHelp) {
    return OutPrintf(CH_ERR,
                     "!!!!! ERROR: This command cannot be invoked with the /nocard switch.\n");
  }
  return row->handler(argc, argv, result);
}

bool FindCommand(const char* word, const CommandRow** row) {
  for (const CommandRow* r : CommandTable()) {
    if (MatchNameList(r->names, word)) {
      *row = r;
      return true;
    }
  }
  return false;
}

bool MatchNameList(std::string_view list, std::string_view word) {
  for (;;) {
    size_t semi = list.find(';');
    if (list.substr(0, semi) == word) return true;
    if (semi == std::string_view::npos) return false;
    list.remove_prefix(semi + 1);
  }
}
