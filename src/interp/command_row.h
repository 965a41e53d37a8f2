// The rows of the command table: every command's names, handler, card rule and help line. Each
// command family exports its rows; the program's entry assembles them into the table and
// installs it here for the dispatcher and the help system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "interp/args.h"
#include "lang/value.h"

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

constexpr bool kAnyBoard = true;    // runs under /nocard
constexpr bool kNeedsCard = false;  // refused under /nocard

constexpr size_t kHelpSectionCount = 6;
extern const HelpSectionRow HelpSections[kHelpSectionCount];

// The table the dispatcher searches, in help order; installed once at start-up.
void InstallCommandTable(std::span<const CommandRow* const> rows);
std::span<const CommandRow* const> CommandTable();
