// The evaluator's operator table: 28 patterns, loosest-binding first, each with its handler.
#pragma once

#include <cstddef>
#include <string_view>

#include "lang/value.h"

// Where a pattern split an expression: the operands in text order.
struct OperandSpans {
  std::string_view text;  // the expression the pattern was fitted to
  size_t begin[3] = {};
  size_t end[3] = {};
  int count = 0;  // one less than the pattern names when its operator ends the text
};

// Evaluates the operands it needs and combines them. Returns 0, or the 1-based position of the
// fault within operands.text with message set.
using OperatorHandler = int (*)(const OperandSpans& operands, Value* result, const char* scope,
                                const char** message);

struct OperatorRow {
  // "e" stands for an operand; other characters must appear literally (without regard to case);
  // characters in braces must not follow the operator.
  const char* pattern;
  OperatorHandler handler;
};

constexpr size_t kOperatorCount = 28;
extern const OperatorRow OperatorTable[kOperatorCount];
