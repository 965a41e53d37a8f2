// Console input and output on Linux: bytes from standard input, text to standard output.
#pragma once

#include <cstddef>
#include <string_view>

// The byte the program uses for "no more input" when a key is wanted.
constexpr int kKeyEsc = 27;

// Reads one byte of input; -1 at the end of input.
int ConsoleReadByte();

// Reads one line into buf (at most size - 1 characters; the rest of a longer line is dropped).
// The line end (LF, CR or CR LF) is not stored. False at the end of input with nothing read.
bool ConsoleReadLine(char* buf, size_t size);

// Writes text straight to the console, past every mask and log.
void ConsoleWrite(std::string_view text);
void ConsoleFlush();
