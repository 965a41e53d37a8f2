// The command table: every command's names, handler, card rule and help line.
#pragma once

#include <cstddef>
#include <cstdint>

#include "script/value.h"
#include "shell/args.h"

// Runs one command. argv[0] is the lower-cased command word; slots past argc are empty.
// Returns true to go on, false to stop the line and every running script.
using CommandHandler = bool (*)(int argc, ArgSlot* argv, Value* result);

enum HelpSection : uint32_t { BASIC, ADVANCED, SCRIPT, LANGUAGE1, LANGUAGE2, KEYS };

struct HelpSectionRow {
  const char* key;
  const char* title;
};

struct CommandRow {
  uint32_t section;   // HelpSection
  const char* names;  // lower-case names separated by ";", e.g. "r;r8;r16;r32"
  CommandHandler handler;
  bool allowedWithoutCard;  // may run under /nocard
  const char* helpLine;     // syntax padded to column 42, then "- " and a description
};

constexpr size_t kHelpSectionCount = 6;
constexpr size_t kCommandCount = 47;

extern const HelpSectionRow HelpSections[kHelpSectionCount];
extern const CommandRow CommandTable[kCommandCount];

// The answer of every row whose handler has not been built yet.
bool CmdNotImplemented(int argc, ArgSlot* argv, Value* result);
