#include "platform/timing.h"

#include <sched.h>
#include <time.h>

#include "platform/assert.h"

namespace {

constexpr uint64_t kNsPerUs = 1000;
constexpr uint64_t kNsPerMs = 1000000;
// Sleeping may overshoot by a scheduler tick, so only the part of a delay beyond this margin is
// slept; the rest is spun.
constexpr uint64_t kSpinMarginNs = 200 * kNsPerUs;

struct ClockState {
  bool started = false;
  uint64_t startNs = 0;  // the millisecond clock counts from here
};
ClockState Clock;

uint64_t ReadMonotonic() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
}

void StartClock() {
  if (Clock.started) return;
  Clock.started = true;
  Clock.startNs = ReadMonotonic();
}

void SleepNanoseconds(uint64_t ns) {
  timespec wait{static_cast<time_t>(ns / 1000000000u), static_cast<long>(ns % 1000000000u)};
  while (nanosleep(&wait, &wait) != 0) {
  }
}

void DelayUntil(uint64_t targetNs) {
  uint64_t now = ReadMonotonic();
  if (targetNs > now + kSpinMarginNs) SleepNanoseconds(targetNs - now - kSpinMarginNs);
  while (ReadMonotonic() < targetNs) {
  }
}

}  // namespace

bool TickPeriodInRange(uint64_t picoseconds) {
  return picoseconds >= 223 && picoseconds <= 11110;
}

bool CalibrateSystemClock() {
  timespec resolution{};
  if (clock_getres(CLOCK_MONOTONIC, &resolution) != 0) {
    HalAssert("CalibrateSystemClock() QueryPerformanceFrequency() failed.");
    return false;
  }
  StartClock();
  // The monotonic clock counts in nanoseconds: one tick is 1000 ps unless it is coarser.
  uint64_t tickPs = (static_cast<uint64_t>(resolution.tv_sec) * 1000000000u +
                     static_cast<uint64_t>(resolution.tv_nsec)) *
                    1000u;
  if (tickPs < 1000) tickPs = 1000;
  if (!TickPeriodInRange(tickPs)) {
    HalAssert("CalibrateSystemClock() SysClock not between 90MHz and 4.5GHz");
  }
  return true;
}

void DelayMicroseconds(uint32_t us) {
  if (us == 0) return;
  StartClock();
  DelayUntil(ReadMonotonic() + us * kNsPerUs);
}

void DelayNanoseconds(uint32_t ns) {
  if (ns == 0) return;
  StartClock();
  DelayUntil(ReadMonotonic() + ns);
}

void SleepMilliseconds(uint32_t ms) {
  StartClock();
  if (ms == 0) {
    sched_yield();
    return;
  }
  SleepNanoseconds(ms * kNsPerMs);
}

uint32_t MillisecondClock() {
  StartClock();
  return static_cast<uint32_t>((ReadMonotonic() - Clock.startNs) / kNsPerMs);
}

uint64_t MonotonicNanoseconds() {
  return ReadMonotonic();
}
