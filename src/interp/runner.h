// Script files: a word that names no command is the name of a script to run. Each run has a
// context (arguments, local scope, sections, return value) on a stack of kMaxScriptDepth.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "interp/args.h"
#include "lang/script_frame.h"
#include "lang/value.h"

constexpr int kMaxScriptDepth = 10;
constexpr size_t kSearchPathEntries = 8;
constexpr size_t kSearchPathSize = 512;     // an entry holds at most 511 characters
constexpr size_t kScriptTextSize = 204800;  // at most 204799 characters of a file are read
constexpr size_t kMaxSections = 32;
constexpr size_t kSectionNameSize = 64;  // a section name has at most 63 characters

// Runs the script named by argv[0] with the other words as its arguments; result receives its
// return value. With reportMissing, a script that cannot be opened is reported as an error.
// Returns true when the script ran to its end (or was left with ESC at a single-step pause).
bool RunScript(bool reportMissing, int argc, ArgSlot* argv, Value* result);

// Turns single-step mode on or off: scripts pause after every line and show everything.
void SetSingleStep(bool on);

// Moves the running script to the section named name (any case). False when there is none.
bool GotoSection(const char* name);

// The search path: entry 0 starts as the current directory with a trailing "/"; an empty entry
// means the current directory.
const std::string& SearchPathEntry(size_t n);
void SetSearchPathEntry(size_t n, const std::string& path);

// True when the engineer pressed ESC at a terminal since the last look. Looks at the keyboard at
// most every few milliseconds, so that loops may ask after every step.
bool EscapePressed();

// The check of loops and scripts: ESC pressed, or the end of the input, which counts as ESC so
// that a loop waiting on input that will never come ends as ESC would end it.
bool EscapeOrEndOfInput();

// Where the running script stands, for the messages of refused lines: " in line N of 'NAME'"
// with the script's name as it was typed, or empty at the prompt.
std::string ScriptLineText();
