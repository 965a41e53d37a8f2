// Self-checks of the command table: what the dispatcher and the help system rely on.
#include "app/command_table.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>

#include "console/output.h"
#include "interp/dispatch.h"
#include "interp/session.h"
#include "test_support.h"

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

// "?" after a command word shows that command's help instead of running it, even without the
// card; the help's first line names the command (the base name of the word).
TEST(CommandTable, EveryCommandAnswersAQuestionMarkWithItsOwnHelp) {
  InstallCommandTable(VornCommands);
  Shell.CardPresent = false;  // as under /nocard, where "?" still reaches every command
  const std::pair<const char*, const char*> rows[] = {
      {"set", " set token    [expression]"},
      {"r16", " r [Addr1 Addr2 Addr3 ...]"},
      {"w", " w [StartAddr [Data1 Data2 Data3 Data4 ...]]"},
      {"f8", " f StartAddr EndAddr|Len Data1 [Data2 Data3 Data4 ...]"},
      {"d32", " d [StartAddr [EndAddr|Len]]"},
      {"s", " s StartAddr EndAddr|Len Data1 [Data2 Data3 Data4 ...]"},
      {"x", " X8  [Index [Data]]"},
      {"xa", " XA"},
      {"xb", " XA"},
      {"xf", " XF   Index Cycles Data1 [Data2 Data3 Data4 ...]"},
      {"xr8", " XR   Index [Cycles]"},
      {"xfb", " XFB   Index Cycles Data1 [Data2 Data3 Data4 ...]"},
      {"xrb", " XRB   Index [Cycles]"},
      {"bar", " BAR8  n [Index [Data]]"},
      {"q", "Quit program."},
      {"help", " ? [regindex|searchtext]"},
      {"calc", " calc expression"},
      {"flog", " FLOG Filename [CMD|OUT|SET:ON|OFF]"},
      {"h", " H [Lines]"},
      {"run", " RUN foo.txt"},
      {"runpath", " RUNPATH [path1[ path2 path3 .. pathN]]"},
      {"goto", " goto sectionname|expression"},
      {"section", " section sectionname"},
      {"if", " IF expression [THEN] statements"},
      {"else", " ELSE statements"},
      {"while", " WHILE expression [DO] statements"},
      {"delay", " DELAY time"},
      {"sleep", " SLEEP time"},
      {"print", R"( print "Hello world\n"                     = "Hello world" (linewrap))"},
      {"input", " input LINE|KEY|PEEK"},
      {"shell", " [$retval =] shell"},
      {"singlestep", " singlestep [ON|OFF]"},
      {"verbose", " VERBOSE [CMD:ON|OFF] [OUT:ON|OFF] [SET:ON|OFF]"},
      {"ver", " VER"},
      {"init", " INIT [NORESET] [NOREGS] [NOLCDS] [NOLUT] [NOVRAM]"},
      {"l2a", " L[1|2][A] Index [Red Green Blue] [INIT|ZERO|CYCLE[RED|GREEN|BLUE]]"},
      {"ps", " PS {ON|OFF}"},
      {"debug", " Toggle HAL debugging flag."},
  };
  for (const auto& [command, firstLine] : rows) {
    ArgSlot argv[2] = {};
    std::snprintf(argv[0], sizeof argv[0], "%s", command);
    std::snprintf(argv[1], sizeof argv[1], "?");
    Value result;
    StartCapture();
    DispatchCommand(2, argv, &result);
    std::string help = Captured();
    help.erase(0, help.find_first_not_of('\n'));
    EXPECT_EQ(help.substr(0, help.find('\n')), firstLine) << command;
  }
  Shell.CardPresent = true;
}

// Commands that reach the board are refused under /nocard (the dispatcher's check of this flag
// is in the transcripts).
TEST(CommandTable, CommandsThatReachTheBoardNeedTheCard) {
  InstallCommandTable(VornCommands);
  for (const char* name :
       {"r",   "w",    "f",    "d",    "s",     "x",    "xa",    "xb",    "xf", "xr",  "xfb", "xrb",
        "bar", "flog", "init", "show", "debug", "draw", "fdump", "fload", "l",  "pll", "ps"}) {
    const CommandRow* row = nullptr;
    ASSERT_TRUE(FindCommand(name, &row)) << name;
    EXPECT_FALSE(row->allowedWithoutCard) << name;
  }
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
