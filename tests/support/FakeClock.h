#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/Clock.h"

namespace zemra::test {

// A clock that never sleeps: each SleepFor advances the tick count at once and is recorded, so
// a test can assert the exact waits of a sequence. `onSleep`, when set, is called with each
// sleep so a test can interleave waits with the frames it records.
class FakeClock final : public Clock {
 public:
  explicit FakeClock(std::uint32_t start = 1000) : now_(start) {}

  std::uint32_t TickCount() override { return now_; }
  void SleepFor(std::uint32_t ms) override {
    sleeps.push_back(ms);
    if (onSleep) onSleep(ms);
    now_ += ms;
  }
  void Advance(std::uint32_t ms) { now_ += ms; }

  std::vector<std::uint32_t> sleeps;
  std::function<void(std::uint32_t)> onSleep;

 private:
  std::uint32_t now_;
};

}  // namespace zemra::test
