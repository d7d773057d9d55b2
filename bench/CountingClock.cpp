#include "bench/CountingClock.h"

#include <numeric>

namespace zemra::bench {

void CountingClock::SleepFor(std::uint32_t ms) {
  waits_.push_back(ms);
  steady_.SleepFor(ms);
  ticks_ += ms;
}

std::uint64_t CountingClock::TotalMs() const {
  return std::accumulate(waits_.begin(), waits_.end(), std::uint64_t{0});
}

}  // namespace zemra::bench
