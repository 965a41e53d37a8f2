// The controller commands where the HAL refuses: records handed over through its record seam.
#include "commands/controller_commands.h"

#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "hal/hal.h"
#include "hal/hcl_data.h"

namespace {

TEST(InitCommand, ARefusedRecordFailsWithTheHalsReason) {
  struct Row {
    uint16_t crc;
    const char* output;
  };
  const Row rows[] = {
      {0, "ERROR: This program has not been configured\n"},
      {static_cast<uint16_t>(qvHclData.crc ^ 1),
       "ERROR: Config CRC does not match configuration\n"},
  };
  auto record = std::make_unique<QvHclData>(qvHclData);
  auto words = std::make_unique<StatementWords>();
  std::strcpy(words->argv[0], "init");
  words->argc = 1;
  for (const Row& row : rows) {
    record->crc = row.crc;
    halSetRecord(record.get());
    Value result;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(kInitRow.handler(words->argc, words->argv, &result));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), row.output);
  }
  halSetRecord(nullptr);
}

}  // namespace
