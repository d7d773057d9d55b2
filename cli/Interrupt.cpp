#include "cli/Interrupt.h"

#include <pthread.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <ctime>

namespace zemra::cli {

namespace {

sigset_t StopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

// How often the watcher looks whether it is to end.
constexpr long kWatchSliceNs = 100'000'000;

// The status of a process ended by `signal`, as a shell reports it.
constexpr int ExitForSignal(int signal) {
  return 128 + signal;
}

}  // namespace

bool NoInterrupt::Sleep(std::uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  return true;
}

SignalInterrupt::SignalInterrupt() {
  const sigset_t set = StopSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  watcher_ = std::thread(&SignalInterrupt::Watch, this);
}

SignalInterrupt::~SignalInterrupt() {
  stopping_ = true;
  watcher_.join();
  // A signal that came meanwhile is dropped with the mask; the process is ending anyway.
}

void SignalInterrupt::Watch() {
  const sigset_t set = StopSignals();
  const timespec slice{0, kWatchSliceNs};
  while (!stopping_) {
    const int signal = sigtimedwait(&set, nullptr, &slice);
    if (signal <= 0) continue;
    if (requested_.exchange(true)) std::_Exit(ExitForSignal(signal));
    { std::lock_guard lock(mutex_); }
    changed_.notify_all();
  }
}

bool SignalInterrupt::Requested() {
  return requested_;
}

bool SignalInterrupt::Sleep(std::uint32_t ms) {
  std::unique_lock lock(mutex_);
  return !changed_.wait_for(lock, std::chrono::milliseconds(ms),
                            [this] { return requested_.load(); });
}

}  // namespace zemra::cli
