#include "platform/periodic_timer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/timing.h"

namespace {

struct Calls {
  std::atomic<int> count{0};
  std::vector<uint64_t> times;  // written only by the timer thread until it is stopped
  std::atomic<bool> stopMe{false};
  PeriodicTimer* self = nullptr;
};

void Record(void* argument) {
  auto* calls = static_cast<Calls*>(argument);
  calls->times.push_back(MonotonicNanoseconds());
  calls->count++;
}

TEST(PeriodicTimer, NullCallbackStartsNothing) {
  EXPECT_EQ(StartPeriodicTimer(10, nullptr, nullptr), nullptr);
  StopPeriodicTimer(nullptr);
}

TEST(PeriodicTimer, CallsAtItsPeriodUntilStopped) {
  Calls calls;
  uint64_t start = MonotonicNanoseconds();
  PeriodicTimer* timer = StartPeriodicTimer(10, Record, &calls);
  ASSERT_NE(timer, nullptr);
  while (calls.count < 4) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  StopPeriodicTimer(timer);
  int stoppedAt = calls.count;
  // The first call comes one period after the start, and each one at least a period later.
  ASSERT_GE(calls.times.size(), 4u);
  EXPECT_GE(calls.times[0] - start, 10000000u);
  for (size_t i = 1; i < calls.times.size(); i++) {
    EXPECT_GE(calls.times[i] - calls.times[i - 1], 9000000u);  // the ms clock rounds down
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(calls.count, stoppedAt);  // stopped means no more calls
}

TEST(PeriodicTimer, ASlowCallbackStillGetsWholePeriods) {
  struct Slow {
    std::atomic<int> count{0};
    uint64_t first = 0, last = 0;
  } slow;
  PeriodicTimer* timer = StartPeriodicTimer(
      20,
      [](void* argument) {
        auto* s = static_cast<Slow*>(argument);
        uint64_t now = MonotonicNanoseconds();
        if (s->count == 0) s->first = now;
        s->last = now;
        s->count++;
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
      },
      &slow);
  while (slow.count < 6) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  StopPeriodicTimer(timer);
  // The wait after a call is shortened by the call's own time, never by more: five periods of
  // at least 20 ms (less the millisecond clock's rounding) between the first and sixth call.
  double average = (slow.last - slow.first) / 5.0 / 1e6;
  EXPECT_GE(average, 18.0);
}

TEST(PeriodicTimer, StoppingFromItsOwnCallbackEndsIt) {
  static Calls calls;
  calls.self = StartPeriodicTimer(
      5,
      [](void* argument) {
        auto* c = static_cast<Calls*>(argument);
        if (++c->count == 2) StopPeriodicTimer(c->self);
      },
      &calls);
  ASSERT_NE(calls.self, nullptr);
  while (calls.count < 2) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(calls.count, 2);
}

}  // namespace
