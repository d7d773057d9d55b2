// zemra_bench: measures the protocol sequences over a pty and loopback TCP against zemrasim,
// discovery of simulated units, and the window's start-up. Prints one "NAME = NUMBER" line per
// figure. Run it through scripts/bench, which keeps it inside a private network namespace.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "bench/ChildProcess.h"
#include "bench/DiscoveryBench.h"
#include "bench/Figures.h"
#include "bench/LinkBench.h"
#include "bench/WindowBench.h"
#include "bench/WorkFolder.h"

#ifndef ZEMRA_SIM_PROGRAM
#define ZEMRA_SIM_PROGRAM "zemrasim"
#endif
#ifndef ZEMRA_LINE_PROGRAM
#define ZEMRA_LINE_PROGRAM "zemra_bench_line"
#endif
#ifndef ZEMRA_WINDOW_PROBE
#define ZEMRA_WINDOW_PROBE ""
#endif

namespace {

using namespace zemra::bench;

struct Options {
  std::string sim = ZEMRA_SIM_PROGRAM;
  std::string line = ZEMRA_LINE_PROGRAM;
  std::string windowProbe = ZEMRA_WINDOW_PROBE;
  int repeats = 5;
  std::set<std::string> only;  // empty: everything
  bool Wants(const std::string& part) const { return only.empty() || only.count(part) > 0; }
};

constexpr const char* kUsage =
    "usage: zemra_bench [--repeats N] [--only serial|paced|ethernet|discovery|window]...\n"
    "                   [--sim PATH] [--line PATH] [--window-probe PATH]\n";

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) return false;
    const std::string value = argv[++i];
    if (arg == "--repeats") {
      options.repeats = std::atoi(value.c_str());
      if (options.repeats < 1) return false;
    } else if (arg == "--only") {
      options.only.insert(value);
    } else if (arg == "--sim") {
      options.sim = value;
    } else if (arg == "--line") {
      options.line = value;
    } else if (arg == "--window-probe") {
      options.windowProbe = value;
    } else {
      return false;
    }
  }
  return true;
}

// The link on the simulator's pty, which carries bytes at once; or, `paced`, through a line
// that takes the wire's time at that speed.
bool RunSerial(const Options& options, const WorkFolder& work, std::uint32_t baudRate, bool paced) {
  const std::string name = "serial" + std::to_string(baudRate) + (paced ? "paced" : "");
  ChildProcess sim;
  ChildProcess line;
  std::string error;
  bool started = sim.Start(options.sim, {"--pty", work.Path() + "/" + name}, 1, 0, error);
  if (started && paced) {
    started = line.Start(options.line, {sim.OutputLines().front(), std::to_string(baudRate)}, 1, 0,
                         error);
  }
  if (!started) {
    std::fprintf(stderr, "bench: %s: %s\n", name.c_str(), error.c_str());
    return false;
  }
  const std::string device = (paced ? line : sim).OutputLines().front();
  LinkTarget target{name, false, baudRate, device, ""};
  return RunLinkBench(target, work.Path(), options.repeats, stdout);
}

bool RunEthernet(const Options& options, const WorkFolder& work) {
  const std::string address = "127.77.0.1";
  ChildProcess sim;
  std::string error;
  if (!sim.Start(options.sim, {"--tcp", address}, 0, 1, error)) {
    std::fprintf(stderr, "bench: ethernet: %s\n", error.c_str());
    return false;
  }
  LinkTarget target{"ethernet", true, 0, "", address};
  return RunLinkBench(target, work.Path(), options.repeats, stdout);
}

// One simulator serves at most 250 units; a second one, sharing the broadcast port, serves the
// rest from the next address on.
bool RunDiscovery(const Options& options, int units) {
  constexpr int kUnitsPerSimulator = 250;
  std::vector<std::unique_ptr<ChildProcess>> sims;
  for (int first = 0; first < units; first += kUnitsPerSimulator) {
    const int count = std::min(kUnitsPerSimulator, units - first);
    const std::string firstAddress =
        "127.0." + std::to_string(1 + (first + 1) / 256) + "." + std::to_string((first + 1) % 256);
    auto sim = std::make_unique<ChildProcess>();
    std::string error;
    if (!sim->Start(options.sim, {"--addp", std::to_string(count), "--addp-first", firstAddress}, 0,
                    count, error)) {
      std::fprintf(stderr, "bench: discovery%d: %s\n", units, error.c_str());
      return false;
    }
    sims.push_back(std::move(sim));
  }
  // Fewer repeats: each search sits out a whole second of silence.
  const int repeats = std::max(1, (options.repeats + 1) / 2);
  return RunDiscoveryBench("discovery" + std::to_string(units), units, repeats, stdout);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fputs(kUsage, stderr);
    return 64;
  }
  // The simulators listen on loopback and discovery broadcasts on it; even so, nothing runs
  // outside a namespace of our own.
  const char* isolated = std::getenv("ZEMRA_ISOLATED");
  if (isolated == nullptr || std::string(isolated) != "1") {
    std::fputs("zemra_bench: run me through scripts/bench (or scripts/isolate)\n", stderr);
    return 70;
  }
  const WorkFolder work;
  if (!work.Ok()) {
    std::fputs("zemra_bench: no temporary folder\n", stderr);
    return 1;
  }
  bool ok = true;
  PrintFigure(stdout, "machine.load_1min.before", LoadAverage());
  if (options.Wants("serial")) {
    ok = RunSerial(options, work, 115200, false) && ok;
    ok = RunSerial(options, work, 9600, false) && ok;
  }
  // At 115200 every reply is in long before the link reads; 9600 is where the wire shows.
  if (options.Wants("paced")) ok = RunSerial(options, work, 9600, true) && ok;
  if (options.Wants("ethernet")) ok = RunEthernet(options, work) && ok;
  if (options.Wants("discovery")) {
    for (const int units : {1, 50, 255}) ok = RunDiscovery(options, units) && ok;
  }
  if (options.Wants("window"))
    ok = RunWindowBench(options.windowProbe, work.Path(), options.repeats, stdout) && ok;
  PrintFigure(stdout, "machine.load_1min.after", LoadAverage());
  return ok ? 0 : 1;
}
