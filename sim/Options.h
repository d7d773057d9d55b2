#pragma once

#include <string>
#include <vector>

#include "sim/Simulator.h"

namespace zemra::sim {

struct CommandLine {
  SimulatorOptions options;
  bool help = false;
  std::string error;  // non-empty: the arguments were not understood
};

// The arguments after the program name. "--name value" and "--name=value" are the same;
// options whose value is optional take it only in the second form.
CommandLine ParseCommandLine(const std::vector<std::string>& args);
std::string HelpText();

}  // namespace zemra::sim
