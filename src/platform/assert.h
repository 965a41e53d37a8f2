// The assertion prompt: every broken interface rule inside the program passes through it.
#pragma once

// Prints "ASSERT - ", the message and "\nAbort [Y]: ", then waits for y, n or Enter.
// 'n' returns and the caller goes on; 'y' or Enter ends the program with exit code 99.
// Returns the number of characters printed.
int HalAssert(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Tests answer the prompt through a responder that returns the key, instead of the console.
using AssertResponder = int (*)();
void SetAssertResponder(AssertResponder responder);

// A caller that can stop on its own and report the failure (vornreg reading a board) watches the
// assertions instead: while a watch is on, an assertion prints "ASSERT - " and its message only,
// asks nothing and returns as if answered 'n'; the watch tells whether any fired.
class AssertWatch {
 public:
  AssertWatch();
  ~AssertWatch();
  AssertWatch(const AssertWatch&) = delete;
  AssertWatch& operator=(const AssertWatch&) = delete;
  bool Fired() const;
};

// Asserts a condition, naming it in the message.
#define VORN_ASSERT(cond) ((cond) ? (void)0 : (void)HalAssert("%s", #cond))
