// Delays, the millisecond clock and the clock check, on the monotonic clock.
#pragma once

#include <cstdint>

// Checks that the delay clock is usable and starts the millisecond clock if it has not started.
// Asserts and returns false when the clock cannot be read or its tick is out of range.
bool CalibrateSystemClock();

// True when a clock tick of this many picoseconds is usable (a clock from 90 MHz to 4.5 GHz).
bool TickPeriodInRange(uint64_t picoseconds);

// Busy delays, never shorter than asked; a delay of 0 returns at once. Long delays sleep for most
// of the time and spin for the rest.
void DelayMicroseconds(uint32_t us);
void DelayNanoseconds(uint32_t ns);

// Sleeps, yielding the processor.
void SleepMilliseconds(uint32_t ms);

// Milliseconds since the first use of any clock or delay here; wraps after 49 days.
uint32_t MillisecondClock();

// Nanoseconds on the monotonic clock, for measuring short intervals.
uint64_t MonotonicNanoseconds();
