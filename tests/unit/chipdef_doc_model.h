// Test support: chip models loaded from small documents written in the tests, and feature
// look-up for any model.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "chipdef/chipdef_base.h"

// The feature of a key; a test failure (and an empty record) when the model has none.
inline const FeatureRec& FeatureOf(ChipDefBase& m, const char* key) {
  uint32_t index = 0;
  static const FeatureRec missing;
  if (!m.FindFeature(key, &index)) {
    ADD_FAILURE() << "no feature " << key;
    return missing;
  }
  return m.Features()[index];
}

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
  // A plain model keeps its registers nowhere: the tests here look at the tables only.
  const char* ShowConfiguration(const char*) override { return ""; }
  bool GetMemoryMapEntry(uint32_t, uint32_t, const char**, uint32_t*, uint32_t*) override {
    return false;
  }
  void ReservedSlot1() override {}
  size_t Diagnose(char*, size_t) override { return 0; }
  void ReservedSlot2() override {}
  void NoEffect() override {}
  uint32_t ReadRegHot(const RegisterRec&, uint32_t) override { return 0; }
  bool WriteRegHot(const RegisterRec&, uint32_t, uint32_t) override { return false; }
  uint32_t GetRegListValue(uint32_t) override { return 0; }
  bool SetRegListValue(uint32_t, uint32_t) override { return false; }
  bool FindInRegList(uint32_t, uint32_t*, bool) override { return false; }
  bool GetRegListIndex(uint32_t, uint32_t*) override { return false; }

  const FeatureRec& F(const char* key) { return FeatureOf(*this, key); }

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
