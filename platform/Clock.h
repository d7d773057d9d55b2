#pragma once

#include <cstdint>

namespace zemra {

// The millisecond tick counter and the protocol's waits. Every fixed wait of the thermometer
// protocol goes through a Clock so that tests can run a whole sequence instantly (FakeClock in
// tests/support) and assert each wait it asked for.
class Clock {
 public:
  virtual ~Clock() = default;

  // Milliseconds on a monotonic counter; wraps around like a 32-bit tick count.
  virtual std::uint32_t TickCount() = 0;

  // Blocks the calling thread for about `ms` milliseconds without burning CPU. May return a
  // little early; Wait() makes up the difference.
  virtual void SleepFor(std::uint32_t ms) = 0;

  // Returns once at least `ms` milliseconds have passed since the call began. Never spins. The
  // difference is taken unsigned so a counter wrap does not end the wait early. On a whole
  // millisecond counter this may end up to one tick short of `ms` in real time (the call can
  // begin late in a tick); SteadyClock measures on the finer clock and never ends early.
  virtual void Wait(std::uint32_t ms);
};

// Production clock: std::chrono::steady_clock and a sleeping wait.
class SteadyClock final : public Clock {
 public:
  std::uint32_t TickCount() override;
  void SleepFor(std::uint32_t ms) override;
  void Wait(std::uint32_t ms) override;
};

// The process-wide steady clock, for objects that are not handed a clock of their own.
Clock& SystemClock();

}  // namespace zemra
