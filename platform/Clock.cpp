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

Clock& SystemClock() {
  static SteadyClock clock;
  return clock;
}

}  // namespace zemra
