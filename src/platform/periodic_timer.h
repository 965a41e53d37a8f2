// The periodic timer: a worker thread that calls a function at a fixed period.
#pragma once

#include <cstdint>

using TimerCallback = void (*)(void* argument);
struct PeriodicTimer;

// Starts a thread that calls callback(argument) every periodMs milliseconds, counting the time
// the callback itself took. Returns nullptr when the callback is null or the thread cannot start.
PeriodicTimer* StartPeriodicTimer(uint32_t periodMs, TimerCallback callback, void* argument);

// Stops the timer and frees it. When it returns, the callback is not running and never runs
// again (unless it is called from the callback itself, which then finishes on its own).
void StopPeriodicTimer(PeriodicTimer* timer);
