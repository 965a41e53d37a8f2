// Builds a name index from arbitrary names and checks every prefix query against a plain scan.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "console/tree.h"

namespace {

constexpr size_t kMaxNames = 64;
constexpr size_t kMaxNameLength = 32;

std::vector<std::string> SplitNames(const uint8_t* data, size_t size) {
  std::vector<std::string> names(1);
  for (size_t i = 0; i < size && names.size() <= kMaxNames; i++) {
    if (data[i] == '\n') {
      names.emplace_back();
    } else if (names.back().size() < kMaxNameLength) {
      names.back() += static_cast<char>(data[i]);
    }
  }
  return names;
}

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> names = SplitNames(data, size);
  NameIndex index;
  InitNameIndex(&index);
  std::set<std::string> added;
  for (const std::string& n : names) {
    AddName(&index, n);
    if (!n.empty()) added.insert(n);
  }
  for (const std::string& n : names) {
    for (size_t length = 0; length <= n.size() + 1; length++) {
      std::string word = n.substr(0, length) + (length > n.size() ? "\x01" : "");
      std::vector<std::string> expected;
      for (const std::string& a : added) {
        if (a.rfind(word, 0) == 0) expected.push_back(a);
      }
      std::string completion;
      int count = MatchName(&index, word, &completion);
      Check(count == static_cast<int>(expected.size()));
      std::vector<std::string> listed = ListMatches(&index, word);
      std::sort(listed.begin(), listed.end());
      Check(listed == expected);
      if (expected.empty()) continue;
      std::string common = expected.front();
      for (const std::string& e : expected) {
        size_t k = 0;
        while (k < common.size() && k < e.size() && common[k] == e[k]) k++;
        common.resize(k);
      }
      Check(completion == common);
    }
  }
  return 0;
}
