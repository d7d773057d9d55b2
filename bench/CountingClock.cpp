#include "bench/CountingClock.h"

#include <chrono>
#include <numeric>

namespace zemra::bench {

void CountingClock::SleepFor(std::uint32_t ms) {
  waits_.push_back(ms);
  const auto start = std::chrono::steady_clock::now();
  steady_.SleepFor(ms);
  sleptMs_ +=
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  ticks_ += ms;
}

std::uint64_t CountingClock::TotalMs() const {
  return std::accumulate(waits_.begin(), waits_.end(), std::uint64_t{0});
}

}  // namespace zemra::bench
