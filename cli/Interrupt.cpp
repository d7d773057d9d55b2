#include "cli/Interrupt.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <thread>

namespace zemra::cli {

namespace {

// The handler may touch nothing but these: a flag and the write end of a pipe that wakes a
// sleeping poll().
volatile std::sig_atomic_t gInterrupted = 0;
int gWakeRead = -1;
int gWakeWrite = -1;

struct sigaction gOldInt;
struct sigaction gOldTerm;

void RestoreDefault(int signal) {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
}

extern "C" void OnSignal(int signal) {
  const int saved = errno;
  gInterrupted = 1;
  if (gWakeWrite >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = write(gWakeWrite, &byte, 1);
  }
  RestoreDefault(signal);
  errno = saved;
}

void Install(int signal, struct sigaction* old) {
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  sigaction(signal, &action, old);
}

}  // namespace

bool NoInterrupt::Sleep(std::uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  return true;
}

SignalInterrupt::SignalInterrupt() {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
    gWakeRead = fds[0];
    gWakeWrite = fds[1];
  }
  gInterrupted = 0;
  Install(SIGINT, &gOldInt);
  Install(SIGTERM, &gOldTerm);
}

SignalInterrupt::~SignalInterrupt() {
  sigaction(SIGINT, &gOldInt, nullptr);
  sigaction(SIGTERM, &gOldTerm, nullptr);
  if (gWakeRead >= 0) close(gWakeRead);
  if (gWakeWrite >= 0) close(gWakeWrite);
  gWakeRead = gWakeWrite = -1;
}

bool SignalInterrupt::Requested() {
  return gInterrupted != 0;
}

bool SignalInterrupt::Sleep(std::uint32_t ms) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  while (!Requested()) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return true;
    if (gWakeRead < 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(std::min<long long>(left, 50)));
      continue;
    }
    pollfd wake{gWakeRead, POLLIN, 0};
    poll(&wake, 1, static_cast<int>(left));
  }
  return false;
}

}  // namespace zemra::cli
