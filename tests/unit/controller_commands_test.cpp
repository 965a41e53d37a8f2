// The controller commands where the HAL refuses: records handed over through its record seam.
#include "commands/controller_commands.h"

#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "hal/hal.h"
#include "hal/hcl_data.h"
#include "test_support.h"

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
    StartCapture();
    EXPECT_FALSE(kInitRow.handler(words->argc, words->argv, &result));
    EXPECT_EQ(Captured(), row.output);
  }
  halSetRecord(nullptr);
}

// The defaults INIT's help names follow the HCL flags in force.
TEST(InitCommand, HelpNamesTheDefaultsOfTheRecordInForce) {
  auto record = std::make_unique<QvHclData>(qvHclData);
  auto words = std::make_unique<StatementWords>();
  std::strcpy(words->argv[0], "init");
  std::strcpy(words->argv[1], "?");
  words->argc = 2;
  for (const bool noReset : {true, false}) {
    record->hclFlags = noReset ? qvfADAPTER_USB | qvfNO_RESET : qvfADAPTER_USB;
    halSetRecord(record.get());
    Value result;
    StartCapture();
    EXPECT_TRUE(kInitRow.handler(words->argc, words->argv, &result));
    const std::string help = Captured();
    EXPECT_EQ(help.substr(help.rfind("\n\n")), noReset
                                                   ? "\n\nDefault values for INIT: NORESET NOVRAM\n"
                                                   : "\n\nDefault values for INIT: NOVRAM\n");
  }
  halSetRecord(nullptr);
}

}  // namespace
