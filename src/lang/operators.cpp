#include "lang/operators.h"

#include <bit>
#include <cmath>
#include <cstdint>

#include "base/helper.h"
#include "lang/evaluate.h"
#include "lang/expression_text.h"

namespace {

constexpr const char* kUnexpectedString = "Unexpected string value.";
constexpr const char* kCannotMix = "Cannot mix numerical and string values here.";
constexpr const char* kDivideByZero = "Cannot divide by zero.";

int Missing(const char** message) {
  return Fail(message, "Missing an expression after the operator.", 1);
}

// Evaluates operand i; an inner fault is reported at the operand's start plus its position.
int EvalOperand(const OperandSpans& ops, int i, Value* v, const char* scope, const char** message) {
  std::string_view part = ops.text.substr(ops.begin[i], ops.end[i] - ops.begin[i]);
  int pos = Evaluate(part, v, scope, message);
  return pos == 0 ? 0 : static_cast<int>(ops.begin[i]) + pos;
}

int EvalBoth(const OperandSpans& ops, Value* left, Value* right, const char* scope,
             const char** message) {
  if (ops.count < 2) return Missing(message);
  if (int pos = EvalOperand(ops, 0, left, scope, message)) return pos;
  return EvalOperand(ops, 1, right, scope, message);
}

void SetText(Value* result, const TextBuilder& text) {
  result->SetText(text.View());
}

// ---- Logical operators: operands of either kind, by truth; the result is 0 or 1.

int Conditional(const OperandSpans& ops, Value* result, const char* scope, const char** message) {
  if (ops.count < 3) return Missing(message);
  Value condition;
  if (int pos = EvalOperand(ops, 0, &condition, scope, message)) return pos;
  return EvalOperand(ops, condition.IsTrue() ? 1 : 2, result, scope, message);
}

int LogicalXor(const OperandSpans& ops, Value* result, const char* scope, const char** message) {
  Value left, right;
  if (int pos = EvalBoth(ops, &left, &right, scope, message)) return pos;
  result->SetNumber(left.IsTrue() != right.IsTrue());
  return 0;
}

// "or" and "and": the right operand is evaluated only when the left does not decide.
int ShortCircuit(const OperandSpans& ops, Value* result, const char* scope, const char** message,
                 bool deciding) {
  if (ops.count < 2) return Missing(message);
  Value operand;
  if (int pos = EvalOperand(ops, 0, &operand, scope, message)) return pos;
  if (operand.IsTrue() != deciding) {
    if (int pos = EvalOperand(ops, 1, &operand, scope, message)) return pos;
  }
  result->SetNumber(operand.IsTrue());
  return 0;
}

int LogicalOr(const OperandSpans& ops, Value* result, const char* scope, const char** message) {
  return ShortCircuit(ops, result, scope, message, true);
}

int LogicalAnd(const OperandSpans& ops, Value* result, const char* scope, const char** message) {
  return ShortCircuit(ops, result, scope, message, false);
}

int LogicalNot(const OperandSpans& ops, Value* result, const char* scope, const char** message) {
  if (ops.count < 1) return Missing(message);
  Value operand;
  if (int pos = EvalOperand(ops, 0, &operand, scope, message)) return pos;
  result->SetNumber(!operand.IsTrue());
  return 0;
}

// ---- Operators on two numbers: bitwise, relations (unsigned) and power.

using NumberOp = uint32_t (*)(uint32_t, uint32_t);

template <NumberOp Op>
int NumbersOnly(const OperandSpans& ops, Value* result, const char* scope, const char** message) {
  Value left, right;
  if (int pos = EvalBoth(ops, &left, &right, scope, message)) return pos;
  if (left.isText) return Fail(message, kUnexpectedString, 1);
  if (right.isText) return Fail(message, kUnexpectedString, 2);
  result->SetNumber(Op(left.number, right.number));
  return 0;
}

uint32_t BitXor(uint32_t a, uint32_t b) {
  return a ^ b;
}
uint32_t BitOr(uint32_t a, uint32_t b) {
  return a | b;
}
uint32_t BitAnd(uint32_t a, uint32_t b) {
  return a & b;
}
uint32_t Greater(uint32_t a, uint32_t b) {
  return a > b;
}
uint32_t Less(uint32_t a, uint32_t b) {
  return a < b;
}
uint32_t GreaterOrEqual(uint32_t a, uint32_t b) {
  return a >= b;
}
uint32_t LessOrEqual(uint32_t a, uint32_t b) {
  return a <= b;
}

// Computed in floating point and truncated to a 64-bit integer; a power beyond that range gives
// the integer conversion's overflow value, whose low 32 bits are 0.
uint32_t Power(uint32_t base, uint32_t exponent) {
  double p = std::pow(static_cast<double>(base), static_cast<double>(exponent));
  if (!(p < 9223372036854775808.0)) return 0;
  return static_cast<uint32_t>(static_cast<uint64_t>(static_cast<int64_t>(p)));
}

int Complement(const OperandSpans& ops, Value* result, const char* scope, const char** message) {
  if (ops.count < 1) return Missing(message);
  Value operand;
  if (int pos = EvalOperand(ops, 0, &operand, scope, message)) return pos;
  if (operand.isText) return Fail(message, kUnexpectedString, 1);
  result->SetNumber(~operand.number);
  return 0;
}

// ---- Equality: numbers by value, texts without regard to case.

int Compare(const OperandSpans& ops, const char* scope, const char** message, bool* equal) {
  Value left, right;
  if (int pos = EvalBoth(ops, &left, &right, scope, message)) return pos;
  if (left.isText != right.isText) return Fail(message, kCannotMix, 3);
  if (!left.isText) {
    *equal = left.number == right.number;
  } else {
    std::string_view a = left.View(), b = right.View();
    *equal = a.size() == b.size() && NameCompare(a, b, a.size()) == 0;
  }
  return 0;
}

int Equal(const OperandSpans& ops, Value* result, const char* scope, const char** message) {
  bool equal = false;
  if (int pos = Compare(ops, scope, message, &equal)) return pos;
  result->SetNumber(equal);
  return 0;
}

int NotEqual(const OperandSpans& ops, Value* result, const char* scope, const char** message) {
  bool equal = false;
  if (int pos = Compare(ops, scope, message, &equal)) return pos;
  result->SetNumber(!equal);
  return 0;
}

// ---- Operators whose right operand is a count: shifts, rotations, multiply. A text on the left
// is cut, turned or repeated; the result has the kind of the left operand.

using TextCountOp = void (*)(std::string_view text, uint32_t count, TextBuilder* out);

template <NumberOp NumOp, TextCountOp TextOp>
int Counted(const OperandSpans& ops, Value* result, const char* scope, const char** message,
            const char* textCount) {
  Value left, right;
  if (int pos = EvalBoth(ops, &left, &right, scope, message)) return pos;
  if (right.isText) return Fail(message, textCount, 2);
  if (!left.isText) {
    result->SetNumber(NumOp(left.number, right.number));
    return 0;
  }
  TextBuilder out;
  TextOp(left.View(), right.number, &out);
  SetText(result, out);
  return 0;
}

template <NumberOp NumOp, TextCountOp TextOp>
int CountedBy(const OperandSpans& ops, Value* result, const char* scope, const char** message) {
  return Counted<NumOp, TextOp>(ops, result, scope, message, kUnexpectedString);
}

uint32_t ShiftLeft(uint32_t a, uint32_t n) {
  return n >= 32 ? 0 : a << n;
}
uint32_t ShiftRight(uint32_t a, uint32_t n) {
  return a >> (n % 32);
}
uint32_t RotateLeft(uint32_t a, uint32_t n) {
  return std::rotl(a, static_cast<int>(n % 32));
}
uint32_t RotateRight(uint32_t a, uint32_t n) {
  return std::rotr(a, static_cast<int>(n % 32));
}
uint32_t Multiply(uint32_t a, uint32_t b) {
  return a * b;
}

void DropFirst(std::string_view text, uint32_t n, TextBuilder* out) {
  if (n < text.size()) out->Append(text.substr(n));
}
void DropLast(std::string_view text, uint32_t n, TextBuilder* out) {
  if (n < text.size()) out->Append(text.substr(0, text.size() - n));
}
void KeepFirst(std::string_view text, uint32_t n, TextBuilder* out) {
  out->Append(text.substr(0, n));
}
void TurnLeft(std::string_view text, uint32_t n, TextBuilder* out) {
  if (text.empty()) return;
  size_t k = n % text.size();
  out->Append(text.substr(k));
  out->Append(text.substr(0, k));
}
void TurnRight(std::string_view text, uint32_t n, TextBuilder* out) {
  TurnLeft(text, static_cast<uint32_t>(text.empty() ? 0 : text.size() - n % text.size()), out);
}
void Repeat(std::string_view text, uint32_t n, TextBuilder* out) {
  for (uint32_t i = 0; i < n && !text.empty() && !out->Full(); i++) out->Append(text);
}

int MultiplyOrRepeat(const OperandSpans& ops, Value* result, const char* scope,
                     const char** message) {
  return Counted<Multiply, Repeat>(ops, result, scope, message, "Expected a numerical value here.");
}

// ---- Add joins texts; subtract, divide and remainder cut a text by a text or a count.

int Add(const OperandSpans& ops, Value* result, const char* scope, const char** message) {
  Value left, right;
  if (int pos = EvalBoth(ops, &left, &right, scope, message)) return pos;
  if (left.isText != right.isText) return Fail(message, kCannotMix, 2);
  if (!left.isText) {
    result->SetNumber(left.number + right.number);
    return 0;
  }
  TextBuilder out;
  out.Append(left.View());
  out.Append(right.View());
  SetText(result, out);
  return 0;
}

using TextTextOp = void (*)(std::string_view text, std::string_view cut, TextBuilder* out);

// A number on the left needs a number on the right (and a non-zero one when guarded); a text on
// the left takes a text or a count.
template <NumberOp NumOp, bool DivisorGuard, TextTextOp ByText, TextCountOp ByCount>
int Cut(const OperandSpans& ops, Value* result, const char* scope, const char** message) {
  Value left, right;
  if (int pos = EvalBoth(ops, &left, &right, scope, message)) return pos;
  if (!left.isText) {
    if (right.isText) return Fail(message, kUnexpectedString, 2);
    if (DivisorGuard && right.number == 0) return Fail(message, kDivideByZero, 2);
    result->SetNumber(NumOp(left.number, right.number));
    return 0;
  }
  TextBuilder out;
  if (right.isText) {
    ByText(left.View(), right.View(), &out);
  } else {
    ByCount(left.View(), right.number, &out);
  }
  SetText(result, out);
  return 0;
}

uint32_t Subtract(uint32_t a, uint32_t b) {
  return a - b;
}
uint32_t Divide(uint32_t a, uint32_t b) {
  return a / b;
}
uint32_t Remainder(uint32_t a, uint32_t b) {
  return a % b;
}

void RemoveFirst(std::string_view text, std::string_view cut, TextBuilder* out) {
  size_t at = text.find(cut);
  if (at == std::string_view::npos) {
    out->Append(text);
    return;
  }
  out->Append(text.substr(0, at));
  out->Append(text.substr(at + cut.size()));
}
void Before(std::string_view text, std::string_view cut, TextBuilder* out) {
  out->Append(text.substr(0, text.find(cut)));
}
void After(std::string_view text, std::string_view cut, TextBuilder* out) {
  size_t at = text.find(cut);
  out->Append(at == std::string_view::npos ? text : text.substr(at + cut.size()));
}

}  // namespace

// The row order is the binding order, loosest first; the first pattern that fits splits the
// expression, so the operators of one row group from the right.
const OperatorRow OperatorTable[kOperatorCount] = {
    {"e?e:e", Conditional},
    {"e xor e", LogicalXor},
    {"e or e", LogicalOr},
    {"e and e", LogicalAnd},
    {"not e", LogicalNot},
    {"e||e", LogicalOr},
    {"e&&e", LogicalAnd},
    {"e^e", NumbersOnly<BitXor>},
    {"e|e", NumbersOnly<BitOr>},
    {"e&e", NumbersOnly<BitAnd>},
    {"e!=e", NotEqual},
    {"e==e", Equal},
    {"e>{=>}e", NumbersOnly<Greater>},
    {"e<{=<}e", NumbersOnly<Less>},
    {"e>=e", NumbersOnly<GreaterOrEqual>},
    {"e<=e", NumbersOnly<LessOrEqual>},
    {"e>>{>}e", CountedBy<ShiftRight, DropLast>},
    {"e<<{<}e", CountedBy<ShiftLeft, DropFirst>},
    {"e>>>e", CountedBy<RotateRight, TurnRight>},
    {"e<<<e", CountedBy<RotateLeft, TurnLeft>},
    {"e+e", Add},
    {"e-e", Cut<Subtract, false, RemoveFirst, DropLast>},
    {"e%e", Cut<Remainder, true, After, DropFirst>},
    {"e/e", Cut<Divide, true, Before, KeepFirst>},
    {"e*{*}e", MultiplyOrRepeat},
    {"~e", Complement},
    {"!e", LogicalNot},
    {"e**e", NumbersOnly<Power>},
};
