#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/Clock.h"
#include "support/FakeClock.h"

namespace zemra {
namespace {

// A clock whose sleeps come back early, as a real sleep may after a signal.
class EarlyWakingClock final : public Clock {
 public:
  explicit EarlyWakingClock(std::uint32_t start) : now_(start) {}
  std::uint32_t TickCount() override { return now_; }
  void SleepFor(std::uint32_t ms) override {
    ++sleeps;
    now_ += ms > 1 ? ms / 2 : ms;
  }
  int sleeps = 0;

 private:
  std::uint32_t now_;
};

TEST(Clock, WaitAsksForTheWholeTimeOnce) {
  test::FakeClock clock;
  clock.Wait(100);
  clock.Wait(0);
  EXPECT_EQ(clock.sleeps, (std::vector<std::uint32_t>{100}));
}

TEST(Clock, WaitNeverReturnsEarlyWhenSleepsWakeEarly) {
  EarlyWakingClock clock(0);
  clock.Wait(1000);
  EXPECT_GE(clock.TickCount(), 1000u);
  EXPECT_GT(clock.sleeps, 1);
}

TEST(Clock, WaitIsNotEndedByACounterWrap) {
  EarlyWakingClock clock(0xFFFFFF00u);
  clock.Wait(1000);
  EXPECT_GE(static_cast<std::uint32_t>(clock.TickCount() - 0xFFFFFF00u), 1000u);
}

TEST(Clock, SteadyWaitsNeverEndEarlyWhereverInATickTheyBegin) {
  // Short waits begun at every phase of the millisecond tick: none may end early.
  for (int i = 0; i < 200; ++i) {
    const auto start = std::chrono::steady_clock::now();
    SystemClock().Wait(1 + i % 3);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1 + i % 3));
    std::this_thread::sleep_for(std::chrono::microseconds(137));
  }
}

}  // namespace
}  // namespace zemra
