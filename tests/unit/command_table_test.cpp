// Self-checks of the command table: what the dispatcher and the help system rely on.
#include "app/command_table.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <sstream>
#include <string>

#include "interp/dispatch.h"

namespace {

std::set<std::string> NamesOf(const CommandRow& row) {
  std::set<std::string> names;
  std::stringstream list(row.names);
  for (std::string name; std::getline(list, name, ';');) names.insert(name);
  return names;
}

TEST(CommandTable, EveryRowIsComplete) {
  for (const CommandRow* r : VornCommands) {
    ASSERT_NE(r, nullptr);
    const CommandRow& row = *r;
    SCOPED_TRACE(row.names);
    EXPECT_NE(row.handler, nullptr);
    EXPECT_LE(row.section, static_cast<uint32_t>(SCRIPT));  // the last three hold no commands
    ASSERT_NE(row.helpLine, nullptr);
    std::string help = row.helpLine;
    ASSERT_GT(help.size(), 44u);
    EXPECT_EQ(help.substr(42, 2), "- ");
  }
}

TEST(CommandTable, NamesAreLowerCaseAndUnique) {
  std::set<std::string> seen;
  for (const CommandRow* row : VornCommands) {
    for (const std::string& name : NamesOf(*row)) {
      EXPECT_FALSE(name.empty()) << row->names;
      for (char c : name) EXPECT_FALSE(std::isupper(static_cast<unsigned char>(c))) << name;
      EXPECT_TRUE(seen.insert(name).second) << "duplicate name " << name;
    }
  }
}

TEST(CommandTable, FindCommandReachesTheFirstRowOfEveryName) {
  InstallCommandTable(VornCommands);
  for (const CommandRow* row : VornCommands) {
    for (const std::string& name : NamesOf(*row)) {
      const CommandRow* found = nullptr;
      ASSERT_TRUE(FindCommand(name.c_str(), &found)) << name;
      EXPECT_EQ(found, row);
    }
  }
  const CommandRow* found = nullptr;
  EXPECT_FALSE(FindCommand("R16", &found));  // the dispatcher lowers the word first
  EXPECT_FALSE(FindCommand("r1", &found));
  EXPECT_FALSE(FindCommand("", &found));
}

TEST(CommandTable, HelpSectionsInOrder) {
  const char* keys[] = {"BASIC", "ADVANCED", "SCRIPT", "LANGUAGE1", "LANGUAGE2", "KEYS"};
  for (size_t i = 0; i < kHelpSectionCount; i++) EXPECT_STREQ(HelpSections[i].key, keys[i]);
}

TEST(MatchNameList, WholeNamesOnly) {
  EXPECT_TRUE(MatchNameList("r;r8;r16;r32", "r16"));
  EXPECT_TRUE(MatchNameList("r;r8;r16;r32", "r"));
  EXPECT_TRUE(MatchNameList("r;r8;r16;r32", "r32"));
  EXPECT_FALSE(MatchNameList("r;r8;r16;r32", "r1"));
  EXPECT_FALSE(MatchNameList("r;r8;r16;r32", "R"));
  EXPECT_FALSE(MatchNameList("r;r8", "r8;"));
}

}  // namespace
