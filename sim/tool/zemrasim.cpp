// zemrasim: the stand-in thermometer and ADDP units as a program.
#include <signal.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sim/Options.h"
#include "sim/Simulator.h"

int main(int argc, char** argv) {
  using namespace zemra::sim;
  const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (line.help) {
    std::fputs(HelpText().c_str(), stdout);
    return 0;
  }
  if (!line.error.empty()) {
    std::fprintf(stderr, "zemrasim: %s\nTry 'zemrasim --help'.\n", line.error.c_str());
    return 64;
  }
  // Blocked before any thread starts, so that only sigwait below ever takes them.
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);
  signal(SIGPIPE, SIG_IGN);

  Simulator sim(line.options);
  std::string error;
  if (!sim.Start(&error)) {
    std::fprintf(stderr, "zemrasim: %s\n", error.c_str());
    return 1;
  }
  if (line.options.ptyLink) {
    std::printf("%s\n", sim.PtyPath().c_str());
    std::fflush(stdout);
    sim.OnPtyChanged([](const std::string& device) {
      std::printf("%s\n", device.c_str());
      std::fflush(stdout);
    });
  }
  for (const auto& address : line.options.tcpAddresses) {
    std::fprintf(stderr, "zemrasim: thermometer on %s:%u\n", address.c_str(), sim.TcpPort());
  }
  for (int i = 0; i < sim.UnitCount(); ++i) {
    const auto unit = sim.Unit(i);
    std::fprintf(stderr, "zemrasim: unit %s %s %s\n", unit->ip.c_str(), unit->mac.c_str(),
                 unit->staticAddress ? "static" : "DHCP");
  }
  int signalNumber = 0;
  sigwait(&stop, &signalNumber);
  sim.Stop();
  return 0;
}
