#include "lang/variables.h"

#include <utility>

#include "base/helper.h"

VariableTable Variables;

namespace {

// The stored name and the scope a name refers to: "$$x" is the global "$x"; "$x" belongs to the
// given scope, which at the prompt is the globals.
struct Key {
  std::string_view name;
  std::string_view scope;  // empty for a global
};

Key KeyOf(std::string_view name, const char* scope) {
  if (name.size() >= 2 && name[0] == '$' && name[1] == '$') return {name.substr(1), {}};
  return {name, scope != nullptr ? std::string_view(scope) : std::string_view()};
}

bool Matches(const Variable& v, const Key& key) {
  return EqualsNoCase(v.name, key.name) && EqualsNoCase(v.scope, key.scope);
}

Variable* Find(const Key& key) {
  for (Variable& v : Variables.entries) {
    if (Matches(v, key)) return &v;
  }
  return nullptr;
}

}  // namespace

bool SetVariable(std::string_view name, const Value& value, const char* scope) {
  Key key = KeyOf(name, scope);
  Variable* v = Find(key);
  if (v == nullptr) {
    if (Variables.entries.size() >= kMaxVariables) return false;
    // Room for the whole table at once, so entries never move while the table grows.
    if (Variables.entries.capacity() == 0) Variables.entries.reserve(kMaxVariables);
    v = &Variables.entries.emplace_back();
    v->name = key.name;
    v->scope = key.scope;
  }
  v->value = value;
  if (!value.isText) v->value.text[0] = '\0';
  return true;
}

bool GetVariable(std::string_view name, Value* out, const char* scope) {
  const Variable* v = FindVariable(name, scope);
  if (v == nullptr) return false;
  *out = v->value;
  return true;
}

const Variable* FindVariable(std::string_view name, const char* scope) {
  return Find(KeyOf(name, scope));
}

const Variable* GetNthVariable(size_t n, const char* scope) {
  std::string_view wanted = scope != nullptr ? scope : "";
  for (const Variable& v : Variables.entries) {
    if (EqualsNoCase(v.scope, wanted) && n-- == 0) return &v;
  }
  return nullptr;
}

void DeleteVariables(const char* scope) {
  std::string_view doomed = scope != nullptr ? scope : "";
  std::erase_if(Variables.entries,
                [&](const Variable& v) { return EqualsNoCase(v.scope, doomed); });
}

void DeleteAllVariables() {
  Variables.entries.clear();
}
