#include "script/chip_tokens.h"

namespace {

constexpr int kIndexDigits = 4;
constexpr uint32_t kRegisterBits = 16;

int UnknownFeature(const char** message) {
  *message = "Unknown feature or token.";
  return 1;
}

}  // namespace

int RegisterIndexDigits() {
  return kIndexDigits;
}

uint32_t RegisterBits(uint32_t) {
  return kRegisterBits;
}

bool RegisterIsWriteOnly(uint32_t) {
  return false;
}

std::string RegisterName(uint32_t) {
  return "";
}

int PromptRegister(uint32_t, const char** message) {
  *message = "Not a valid register.";
  return 1;
}

int GetFeatureToken(std::string_view, Value*, bool, const char** message) {
  return UnknownFeature(message);
}

int SetFeatureToken(std::string_view, const Value&, bool, const char** message) {
  return UnknownFeature(message);
}

void ShowFeatureRange(std::string_view) {}

int PromptFeature(std::string_view, const char** message) {
  return UnknownFeature(message);
}
