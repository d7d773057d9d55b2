#include "bench/DiscoveryBench.h"

#include <vector>

#include "bench/Figures.h"
#include "net/UnitDiscovery.h"

namespace zemra::bench {

namespace {

// Loopback only: a search must never reach a real network.
std::vector<Adapter> LoopbackOnly() {
  return {Adapter{"lo", 0x7F000001u, 0xFF000000u}};
}

}  // namespace

bool RunDiscoveryBench(const std::string& name, int expectedUnits, int repeats, std::FILE* out) {
  CUnitDiscovery discovery(LoopbackOnly, SystemUdp(), SystemClock());
  if (discovery.InitSocket() != 0) {
    std::fprintf(stderr, "bench: %s: the discovery socket could not be made\n", name.c_str());
    return false;
  }
  const double floor =
      CUnitDiscovery::kReplyPauseMs +
      CUnitDiscovery::kReceiveTimeoutMs * static_cast<double>(LoopbackOnly().size());
  Figures figures(name);
  bool allFound = true;
  for (int run = 0; run < repeats; ++run) {
    const Stopwatch watch;
    const int found = discovery.Discover();
    const double wall = watch.WallMs();
    const double cpu = watch.CpuMs();
    allFound = allFound && found == expectedUnits;
    figures.Add("units", found, Figures::Reduce::kMinimum);
    figures.Add("expected", expectedUnits);
    figures.Add("ratio", wall / floor);
    figures.Add("cpu_share", cpu / wall);
    figures.Add("wall_ms", wall);
    figures.Add("floor_ms", floor);
  }
  figures.Print(out);
  if (!allFound) std::fprintf(stderr, "bench: %s: a search missed units\n", name.c_str());
  return allFound;
}

}  // namespace zemra::bench
