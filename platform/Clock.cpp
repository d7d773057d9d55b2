#include "platform/Clock.h"

#include <chrono>
#include <thread>

namespace zemra {

void Clock::Wait(std::uint32_t ms) {
  const std::uint32_t start = TickCount();
  for (;;) {
    const std::uint32_t elapsed = TickCount() - start;
    if (elapsed >= ms) return;
    SleepFor(ms - elapsed);
  }
}

std::uint32_t SteadyClock::TickCount() {
  using namespace std::chrono;
  const auto now = duration_cast<milliseconds>(steady_clock::now().time_since_epoch());
  return static_cast<std::uint32_t>(now.count());
}

void SteadyClock::SleepFor(std::uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SteadyClock::Wait(std::uint32_t ms) {
  // Measured on the steady clock itself rather than the whole-millisecond tick count, so that
  // the protocol's waits are never cut short by a call that begins late in a tick.
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until) std::this_thread::sleep_until(until);
}

Clock& SystemClock() {
  static SteadyClock clock;
  return clock;
}

}  // namespace zemra
