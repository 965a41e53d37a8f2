#include "platform/periodic_timer.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "platform/timing.h"

struct PeriodicTimer {
  uint32_t periodMs = 0;
  TimerCallback callback = nullptr;
  void* argument = nullptr;
  std::mutex mutex;
  std::condition_variable signal;
  bool stopRequested = false;
  bool freesItself = false;  // stopped from its own callback: the thread frees the context
  std::thread worker;
};

namespace {

// Waits out the rest of each period, then calls the callback, until stop is signalled.
void TimerLoop(PeriodicTimer* timer, std::unique_lock<std::mutex>& hold) {
  uint32_t lastDuration = 0;
  for (;;) {
    auto wait = std::chrono::milliseconds(timer->periodMs - lastDuration);
    if (timer->signal.wait_for(hold, wait, [timer] { return timer->stopRequested; })) return;
    hold.unlock();
    uint32_t start = MillisecondClock();
    timer->callback(timer->argument);
    uint32_t took = MillisecondClock() - start;
    lastDuration = took < timer->periodMs ? took : timer->periodMs;
    hold.lock();
  }
}

void RunTimer(PeriodicTimer* timer) {
  std::unique_lock hold(timer->mutex);
  TimerLoop(timer, hold);
  bool freeContext = timer->freesItself;
  hold.unlock();
  if (freeContext) delete timer;
}

}  // namespace

PeriodicTimer* StartPeriodicTimer(uint32_t periodMs, TimerCallback callback, void* argument) {
  if (callback == nullptr) return nullptr;
  auto* timer = new (std::nothrow) PeriodicTimer;
  if (timer == nullptr) return nullptr;
  timer->periodMs = periodMs;
  timer->callback = callback;
  timer->argument = argument;
  try {
    timer->worker = std::thread(RunTimer, timer);
  } catch (const std::system_error&) {
    delete timer;
    return nullptr;
  }
  return timer;
}

void StopPeriodicTimer(PeriodicTimer* timer) {
  if (timer == nullptr) return;
  bool fromCallback = timer->worker.get_id() == std::this_thread::get_id();
  {
    std::lock_guard hold(timer->mutex);
    timer->stopRequested = true;
    if (fromCallback) {
      // The thread ends when the callback returns and frees the context then.
      timer->freesItself = true;
      timer->worker.detach();
    }
  }
  timer->signal.notify_all();
  if (fromCallback) return;
  timer->worker.join();
  delete timer;
}
