#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace zemra::bench {

// Where the link reaches the simulated thermometer: a serial device at a line speed, or an
// Ethernet address (TCP port 2101).
struct LinkTarget {
  std::string name;  // the figures' prefix, e.g. "serial9600"
  bool ethernet = false;
  std::uint32_t baudRate = 9600;
  std::string device;
  std::string ipAddress;
};

// Opens the link, then runs the configuration read, the configuration write with its memory
// store, a quick poll and a full poll `repeats` times each and prints their figures: wall
// time, the floor (the fixed waits the sequence asks for plus its bytes' time on the wire),
// their ratio, and CPU time over wall time. False when the link could not be opened or a
// sequence failed.
bool RunLinkBench(const LinkTarget& target, const std::string& workFolder, int repeats,
                  std::FILE* out);

}  // namespace zemra::bench
