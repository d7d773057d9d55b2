#pragma once

#include <cstdint>
#include <vector>

#include "platform/Clock.h"

namespace zemra::bench {

// The production clock's sleeping wait, with a record of every wait asked for.
//
// The tick counter advances by exactly the time each sleep was asked to take, not by the time
// that passed, so every Wait(ms) makes exactly one SleepFor(ms) and the record holds exactly
// the waits the code asked for, with no rounding of a real counter in between. Only Wait reads
// the counter on the link's paths, so the link behaves as it does on the steady clock: each
// wait sleeps on std::this_thread::sleep_for for at least its time, and no longer.
class CountingClock final : public Clock {
 public:
  std::uint32_t TickCount() override { return ticks_; }
  void SleepFor(std::uint32_t ms) override;

  // Every wait since the last Clear, in the order they were asked for.
  const std::vector<std::uint32_t>& Waits() const { return waits_; }
  std::uint64_t TotalMs() const;
  // How long the sleeps really took, in milliseconds: the waits plus each wake-up's lateness.
  double SleptMs() const { return sleptMs_; }
  void Clear() {
    waits_.clear();
    sleptMs_ = 0;
  }

 private:
  SteadyClock steady_;
  std::uint32_t ticks_ = 0;
  std::vector<std::uint32_t> waits_;
  double sleptMs_ = 0;
};

}  // namespace zemra::bench
