#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zemra {

// The program's few options. Nothing else is read from the command line.
struct CommandLine {
  bool help = false;
  bool version = false;
  // The data folder to use instead of the machine's, ending with a separator.
  std::optional<std::string> dataFolder;
  // Why the arguments were refused; empty when they were not.
  std::string error;
};

// Reads the arguments after the program name: --data-folder DIR (or --data-folder=DIR),
// -h/--help and --version.
CommandLine ParseCommandLine(std::span<const std::string> arguments);

// True when the arguments ask for the help or the version: answered before any window system
// is touched, so they work on a machine without a display.
bool AsksForHelpOrVersion(std::span<const std::string> arguments);

std::string HelpText(std::string_view program);

}  // namespace zemra
