#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace zemra::cli {

// Lets a user end a long command (monitor, a connect that hangs) with Ctrl-C: the command
// checks between its steps and finishes the exchange under way, so the thermometer is never
// left with half a frame.
class Interrupt {
 public:
  virtual ~Interrupt() = default;
  virtual bool Requested() = 0;
  // Waits `ms` milliseconds; returns false at once when an interrupt comes.
  virtual bool Sleep(std::uint32_t ms) = 0;
};

// Never interrupted; sleeps for real. For commands run inside a test.
class NoInterrupt final : public Interrupt {
 public:
  bool Requested() override { return false; }
  bool Sleep(std::uint32_t ms) override;
};

// SIGINT and SIGTERM while it exists. The first signal asks the command to stop; a second one
// ends the process at once, for an exchange that would otherwise block (a time-out of 10 s).
//
// The signals are taken by a thread of their own and blocked everywhere else, so that no read,
// poll or receive of an exchange is cut short by them: an exchange under way ends as it would
// have ended. Make it before any other thread starts, so that every thread inherits the mask.
class SignalInterrupt final : public Interrupt {
 public:
  SignalInterrupt();
  ~SignalInterrupt() override;
  SignalInterrupt(const SignalInterrupt&) = delete;
  SignalInterrupt& operator=(const SignalInterrupt&) = delete;

  bool Requested() override;
  bool Sleep(std::uint32_t ms) override;

 private:
  void Watch();

  std::atomic<bool> requested_{false};
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::condition_variable changed_;
  std::thread watcher_;
};

}  // namespace zemra::cli
