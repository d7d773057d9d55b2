// zemra_bench_line DEVICE BAUD: a pseudo-terminal that carries bytes to and from DEVICE (the
// simulator's pty) at the pace of a serial line at BAUD, 10 bits a character. Prints the new
// device's path, then relays until SIGTERM or SIGINT.
#include <signal.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/PacedLine.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) {
  stopRequested = 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || std::atol(argv[2]) <= 0) {
    std::fputs("usage: zemra_bench_line DEVICE BAUD\n", stderr);
    return 64;
  }
  struct sigaction action {};
  action.sa_handler = RequestStop;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  zemra::bench::PacedLine line(argv[1], static_cast<std::uint32_t>(std::atol(argv[2])));
  std::string error;
  if (!line.Open(error)) {
    std::fprintf(stderr, "zemra_bench_line: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s\n", line.DevicePath().c_str());
  std::fflush(stdout);
  line.Run(stopRequested);
  return 0;
}
