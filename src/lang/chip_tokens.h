// The tokens that reach the chip model: what the model says about registers, and the feature
// tokens (read, checked write, range and prompt).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "lang/value.h"

// Hexadecimal digits of a register index on this chip.
int RegisterIndexDigits();

// The register's own width in bits (the chip's register width when the model does not know it).
uint32_t RegisterBits(uint32_t index);

bool RegisterIsWriteOnly(uint32_t index);

// The register's name text ("" when it has none).
std::string RegisterName(uint32_t index);

// The "." path for reg[index]: the register's picture, then the prompt of the feature at the bit
// the engineer picks. Returns 0, the error position within the token, or -1 when the failure
// has been reported already.
int PromptRegister(uint32_t index, const char** message);

// Reads the feature named (any case) into value; its kind preset to text asks for the value
// text. show prints it on CH_SET. Returns 0 or the error position.
int GetFeatureToken(std::string_view name, Value* value, bool show, const char** message);

// Checks and stores a feature value; show prints what was stored. Returns 0 or the error
// position.
int SetFeatureToken(std::string_view name, const Value& value, bool show, const char** message);

// Prints the feature's description (the model's text) and its limits. False when the user left
// the pager with ESC.
bool ShowFeatureRange(std::string_view name);

// The "." path for a feature: its range, then a prompt for the new value. Returns 0, the error
// position, or -1 when the engineer left at the pager.
int PromptFeature(std::string_view name, const char** message);
