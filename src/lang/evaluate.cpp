#include "lang/evaluate.h"

#include <cstdint>

#include "lang/expression_text.h"
#include "lang/operand.h"
#include "lang/operators.h"
#include "lang/script_frame.h"

namespace {

// Every operator and every bracket level nests one evaluation in another; a limit keeps
// arbitrary input from exhausting the stack. A 255-character argument nests far less deeply.
constexpr int kMaxNesting = 256;
// Evaluations per top-level expression; brace interpolation can re-evaluate parts of a text, and
// the limit keeps the time any input takes bounded.
constexpr int kMaxEvaluations = 100000;

struct EvaluatorState {
  int depth = 0;        // evaluations in progress
  int evaluations = 0;  // since the outermost one began
};
EvaluatorState Evaluator;

class NestingGuard {
 public:
  NestingGuard() {
    if (Evaluator.depth++ == 0) Evaluator.evaluations = 0;
    Evaluator.evaluations++;
  }
  ~NestingGuard() { Evaluator.depth--; }
  NestingGuard(const NestingGuard&) = delete;
  NestingGuard& operator=(const NestingGuard&) = delete;
};

// Tracks the nesting of brackets and quotes while a text is scanned from its start.
class BracketScan {
 public:
  explicit BracketScan(std::string_view text) : text_(text) {}
  // Takes in the character at i (which must follow the last one taken).
  void Step(size_t i) {
    char c = text_[i];
    if (c == '"' && QuoteToggles(text_, i)) {
      inQuotes_ = !inQuotes_;
    } else if (!inQuotes_) {
      if (c == '(') round_++, depth_++;
      if (c == ')') round_--, depth_--;
      if (c == '[') depth_++;
      if (c == ']') depth_--;
    }
  }
  bool AtTop() const { return depth_ == 0 && !inQuotes_; }
  int Round() const { return round_; }

 private:
  std::string_view text_;
  bool inQuotes_ = false;
  int round_ = 0;  // round brackets only
  int depth_ = 0;  // round and square brackets together
};

bool RoundBracketsBalance(std::string_view text) {
  BracketScan scan(text);
  for (size_t i = 0; i < text.size(); i++) scan.Step(i);
  return scan.Round() == 0;
}

// Whether the "(" at the start closes at the last character.
bool WrappedInBrackets(std::string_view text) {
  if (text.size() < 2 || text[0] != '(') return false;
  BracketScan scan(text);
  for (size_t i = 0; i < text.size(); i++) {
    scan.Step(i);
    if (scan.Round() == 0) return i + 1 == text.size();
  }
  return false;
}

unsigned char FoldCase(char c) {
  return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
}

bool SameNoCase(char a, char b) {
  return FoldCase(a) == FoldCase(b);
}

// The characters (case folded) that stand outside brackets and quotes. A pattern whose operator
// characters are not all among them cannot fit, which spares most rows their search.
class TopLevelChars {
 public:
  explicit TopLevelChars(std::string_view text) {
    BracketScan scan(text);
    for (size_t i = 0; i < text.size(); i++) {
      if (scan.AtTop()) Add(FoldCase(text[i]));
      scan.Step(i);
    }
  }
  bool MayFit(std::string_view pattern) const {
    bool refused = false;
    for (char c : pattern) {
      if (c == '{' || c == '}') {
        refused = c == '{';
      } else if (c != 'e' && !refused && !Has(FoldCase(c))) {
        return false;
      }
    }
    return true;
  }

 private:
  void Add(unsigned char c) { bits_[c / 64] |= uint64_t{1} << (c % 64); }
  bool Has(unsigned char c) const { return (bits_[c / 64] >> (c % 64)) & 1; }
  uint64_t bits_[4] = {};
};

bool RunAt(std::string_view text, size_t at, std::string_view run) {
  if (text.size() - at < run.size()) return false;
  for (size_t k = 0; k < run.size(); k++) {
    if (!SameNoCase(text[at + k], run[k])) return false;
  }
  return true;
}

// The first place at or after from where run stands outside brackets and quotes, or npos.
size_t FindRun(std::string_view text, size_t from, std::string_view run) {
  BracketScan scan(text);
  for (size_t i = from; i < text.size(); i++) {
    if (scan.AtTop() && RunAt(text, i, run)) return i;
    scan.Step(i);
  }
  return std::string_view::npos;
}

enum class Fit { kNo, kYes, kEmptyOperand };

bool IsBlankText(std::string_view text) {
  for (char c : text) {
    if (!IsBlank(c)) return false;
  }
  return true;
}

// Fits one pattern to text, filling spans. On kEmptyOperand, *errorAt is the 1-based position of
// the operator that has no operand before it.
Fit FitPattern(std::string_view pattern, std::string_view text, OperandSpans* spans, int* errorAt) {
  spans->text = text;
  size_t place = 0;
  bool operandOpen = false;
  size_t emptyBefore = std::string_view::npos;
  for (size_t p = 0; p < pattern.size();) {
    if (pattern[p] == 'e') {
      operandOpen = true;
      p++;
      continue;
    }
    size_t runEnd = pattern.find_first_of("e{", p);
    std::string_view run = pattern.substr(p, runEnd - p);
    std::string_view refused;
    p = runEnd;
    if (p < pattern.size() && pattern[p] == '{') {
      size_t close = pattern.find('}', p);
      refused = pattern.substr(p + 1, close - p - 1);
      p = close + 1;
    }
    size_t at = FindRun(text, place, run);
    if (at == std::string_view::npos) return Fit::kNo;
    size_t after = at + run.size();
    if (after < text.size() && refused.find(text[after]) != std::string_view::npos) {
      return Fit::kNo;
    }
    // A prefix operator binds only at the start; an operator of a tighter row joins what
    // stands before it.
    if (!operandOpen && at != 0) return Fit::kNo;
    if (operandOpen) {
      if (IsBlankText(text.substr(place, at - place)) && emptyBefore == std::string_view::npos) {
        emptyBefore = at;
      }
      spans->begin[spans->count] = place;
      spans->end[spans->count++] = at;
      operandOpen = false;
    }
    place = after;
  }
  if (emptyBefore != std::string_view::npos) {
    *errorAt = static_cast<int>(emptyBefore) + 1;
    return Fit::kEmptyOperand;
  }
  // An operator at the very end never opens its last operand.
  if (operandOpen && place < text.size()) {
    spans->begin[spans->count] = place;
    spans->end[spans->count++] = text.size();
  }
  return Fit::kYes;
}

int EvaluateText(std::string_view text, Value* result, const char* scope, const char** message) {
  NestingGuard guard;
  if (Evaluator.depth > kMaxNesting) return Fail(message, "Expression is nested too deeply.", 1);
  if (Evaluator.evaluations > kMaxEvaluations) {
    return Fail(message, "Expression is too complex.", 1);
  }
  size_t offset = 0;
  text = TrimBlanks(text, &offset);
  if (!RoundBracketsBalance(text)) {
    return Fail(message, "Parenthesis mismatch.", static_cast<int>(offset) + 1);
  }
  // Every wrapping pair goes, so that "((1))" is 1.
  while (WrappedInBrackets(text)) {
    offset++;
    text = TrimBlanks(text.substr(1, text.size() - 2), &offset);
  }
  int pos = 0;
  bool split = false;
  TopLevelChars present(text);
  for (const OperatorRow& row : OperatorTable) {
    if (!present.MayFit(row.pattern)) continue;
    OperandSpans spans;
    int errorAt = 0;
    Fit fit = FitPattern(row.pattern, text, &spans, &errorAt);
    if (fit == Fit::kNo) continue;
    pos = fit == Fit::kEmptyOperand ? Fail(message, "Expected an expression here.", errorAt)
                                    : row.handler(spans, result, scope, message);
    split = true;
    break;
  }
  if (!split) pos = EvaluatePrimary(text, result, scope, message);
  return pos == 0 ? 0 : static_cast<int>(offset) + pos;
}

}  // namespace

int Evaluate(std::string_view expression, Value* result, const char* scope, const char** message) {
  const char* text = nullptr;
  int pos = EvaluateText(expression, result, scope, &text);
  if (pos != 0 && message != nullptr) *message = text;
  return pos;
}

int Evaluate(std::string_view expression, Value* result, const char** message) {
  return Evaluate(expression, result, ScriptScope(), message);
}

int EvalToNum(std::string_view text, uint32_t* out, const char** message) {
  Value v;
  int pos = Evaluate(text, &v, message);
  if (pos != 0) return pos;
  if (v.isText) {
    if (message != nullptr) *message = "Value cannot be a string.";
    return 1;
  }
  *out = v.number;
  return 0;
}
