// Test support: the HAL on a simulated board of the test's own, for commands that write display
// memory; the test reads the board's memory directly. The chip model stays cold (its copy of the
// configuration record): the features a test sets are put back when it ends.
#pragma once

#include <unistd.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "chipdef/chipdef.h"
#include "hal/hal.h"
#include "hal/hal_state.h"
#include "hal/hcl_data.h"
#include "interp/command_row.h"
#include "sim/sim_pipe.h"
#include "test_support.h"
#include "transport/usb_transport.h"

class SimBoardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = "/tmp/vorn-sim-test-" + std::to_string(getpid()) + ".img";
    unlink(path_.c_str());
    ASSERT_TRUE(UsbTransportOpen(&SimPipes, path_.c_str(), 0, 2, qvHclData.usbInfo));
    Hal.dispatch = BridgeVariant;
    Hal.windowBase[0] = kBridgeWindowMark;
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) ChipModel().SetValue(name.c_str(), value);
    UsbTransportClose();
    Hal = HalState{};
    unlink(path_.c_str());
  }

  uint8_t* Memory() { return SimBoard()->chip.memory; }

  // Sets a feature of the cold model for this test.
  void Set(const char* feature, uint32_t value) {
    saved_.try_emplace(feature, ChipModel().GetValue(feature));
    ASSERT_TRUE(ChipModel().SetValue(feature, value)) << feature;
  }

  // Runs a command line through its row's handler; its output in *output when given.
  bool Run(const CommandRow& row, const char* line, std::string* output = nullptr) {
    auto words = std::make_unique<StatementWords>();
    words->argc = SplitArgs(line, std::strlen(line), words->argv);
    Value result;
    StartCapture();
    bool ok = row.handler(words->argc, words->argv, &result);
    std::string text = Captured();
    if (output != nullptr) *output = text;
    return ok;
  }

 private:
  std::string path_;
  std::map<std::string, uint32_t> saved_;
};
