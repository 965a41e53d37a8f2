// Fatal internal errors of the chip model: a broken interface rule (an unknown feature, a wrong
// type, a malformed operator) that the model cannot go on from.
#pragma once

// Shows the message with its source position at the assertion prompt and ends the program with
// a non-zero exit code, whatever the answer: the caller has nothing sound to continue with.
[[noreturn]] void ChipDefFatal(const char* file, int line, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

#define CHIPDEF_FATAL(...) ChipDefFatal(__FILE__, __LINE__, __VA_ARGS__)
