// The assertion prompt: every broken interface rule inside the program passes through it.
#pragma once

// Prints "ASSERT - ", the message and "\nAbort [Y]: ", then waits for y, n or Enter.
// 'n' returns and the caller goes on; 'y' or Enter ends the program with exit code 99.
// Returns the number of characters printed.
int HalAssert(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Tests answer the prompt through a responder that returns the key, instead of the console.
using AssertResponder = int (*)();
void SetAssertResponder(AssertResponder responder);

// Asserts a condition, naming it in the message.
#define VORN_ASSERT(cond) ((cond) ? (void)0 : (void)HalAssert("%s", #cond))
