#pragma once

#include <string>
#include <vector>

#include "cli/CommandIo.h"

namespace zemra::cli {

// Runs zemractl with the arguments after the program name and returns the exit status.
int RunCli(const std::vector<std::string>& args, CommandIo& io);

}  // namespace zemra::cli
