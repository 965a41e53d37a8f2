// Test support: chip models loaded from small documents written in the tests.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "chipdef/chipdef_base.h"

// A model loaded from a small document given as one text (split into lines here, as the
// program feeds its built-in document).
class DocModel : public ChipDefBase {
 public:
  explicit DocModel(const std::string& doc) {
    std::istringstream in(doc);
    for (std::string line; std::getline(in, line);) lines_.push_back(line);
    for (const std::string& line : lines_) ptrs_.push_back(line.c_str());
    LoadChipDef(ptrs_.data(), ptrs_.size());
  }
  const FeatureRec& F(const char* key) {
    uint32_t index = 0;
    static const FeatureRec missing;
    if (!FindFeature(key, &index)) {
      ADD_FAILURE() << "no feature " << key;
      return missing;
    }
    return Features()[index];
  }

 private:
  std::vector<std::string> lines_;
  std::vector<const char*> ptrs_;
};

inline std::string Doc(const std::string& body) {
  return "<CHIPDEF VERSION=\"1\">\n" + body + "</CHIPDEF>\n";
}

inline std::string Features(const std::string& body) {
  return Doc("<FEATURES>\n" + body + "</FEATURES>\n");
}
