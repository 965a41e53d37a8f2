// User variables: one table shared by the prompt and every script run. "$name" is a local of the
// running script (a global at the prompt), "$$name" always the global "$name".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "lang/value.h"

constexpr size_t kMaxVariables = 1000;

struct Variable {
  std::string name;   // with one leading "$"; compared without regard to case
  Value value;        // a number variable keeps an empty text
  std::string scope;  // the creating script run's scope text; empty for a global
};

// Holds at most kMaxVariables entries; it grows as variables are created, so start-up does not
// pay for the whole table.
struct VariableTable {
  std::vector<Variable> entries;
};
extern VariableTable Variables;

// In every call, scope is the running script's scope text, or nullptr at the prompt.

// Creates or overwrites the variable named "$x" (in scope) or "$$x" (global). False when the
// table is full.
bool SetVariable(std::string_view name, const Value& value, const char* scope);

// Copies the variable's value into out; false when there is no such variable.
bool GetVariable(std::string_view name, Value* out, const char* scope);

// The entry of the variable named "$x" or "$$x", or nullptr.
const Variable* FindVariable(std::string_view name, const char* scope);

// The n-th (from 0) variable of exactly this scope (nullptr: the globals), in table order.
const Variable* GetNthVariable(size_t n, const char* scope);

// Deletes every variable of exactly this scope (nullptr: every global), keeping the others'
// order.
void DeleteVariables(const char* scope);

void DeleteAllVariables();
