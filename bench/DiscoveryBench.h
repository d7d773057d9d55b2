#pragma once

#include <cstdio>
#include <string>

namespace zemra::bench {

// Searches for units over the loopback adapter alone `repeats` times and prints the units
// found against those expected, and the wall time against the protocol's 50 ms pause plus the
// 1 s of silence that ends the replies to each adapter's broadcast. False when a search could
// not be made or missed a unit.
bool RunDiscoveryBench(const std::string& name, int expectedUnits, int repeats, std::FILE* out);

}  // namespace zemra::bench
