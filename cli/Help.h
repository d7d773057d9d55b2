#pragma once

#include <string>

#include "cli/CommandTable.h"

namespace zemra::cli {

// "zemractl --help": what the tool is for, the connection options, the commands and the exit
// statuses.
std::string OverviewHelp();

// "zemractl COMMAND --help".
std::string CommandHelp(const CommandSpec& command);

// "zemractl --version".
std::string VersionText();

// The hint that follows a usage error.
std::string UsageHint(const std::string& command);

}  // namespace zemra::cli
