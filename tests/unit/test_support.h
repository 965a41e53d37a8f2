// Test support shared by the unit tests: a scratch directory, environment settings that are put
// back, captured standard output and the bus bytes the HAL opens the bridge with.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

// The bus configuration of the built-in record.
inline constexpr uint8_t kUsbInfo[6] = {0x41, 0x55, 0xAA, 0x5F, 0xAA, 0xAA};

// A fresh directory under /tmp, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    char name[] = "/tmp/vorn-test-XXXXXX";
    if (mkdtemp(name) != nullptr) path_ = name;
    EXPECT_FALSE(path_.empty());
  }
  ~TempDir() {
    if (!path_.empty()) {
      EXPECT_EQ(std::system(("rm -rf " + path_).c_str()), 0);
    }
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// The whole content of a file; empty when it cannot be read.
inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Sets an environment variable (removes it for nullptr) until the end of the scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    Set(value);
  }
  ~ScopedEnv() { Set(had_ ? old_.c_str() : nullptr); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;
  void Set(const char* value) {
    if (value != nullptr) {
      setenv(name_, value, 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

// Standard output from StartCapture() on, as text.
inline void StartCapture() {
  testing::internal::CaptureStdout();
}
inline std::string Captured() {
  std::fflush(stdout);
  return testing::internal::GetCapturedStdout();
}
