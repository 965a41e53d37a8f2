#include "interp/command_row.h"

namespace {
std::span<const CommandRow* const> Installed;
}  // namespace

const HelpSectionRow HelpSections[kHelpSectionCount] = {
    {"BASIC", "BASIC VORN COMMANDS        For more details on each command, type: <command> ?"},
    {"ADVANCED", "ADVANCED VORN COMMANDS"},
    {"SCRIPT", "VORN COMMANDS FOR SCRIPTING"},
    {"LANGUAGE1", "SCRIPT LANGUAGE REFERENCE 1"},
    {"LANGUAGE2", "SCRIPT LANGUAGE REFERENCE 2"},
    {"KEYS", "VORN EDITING KEYS"},
};

void InstallCommandTable(std::span<const CommandRow* const> rows) {
  Installed = rows;
}

std::span<const CommandRow* const> CommandTable() {
  return Installed;
}
