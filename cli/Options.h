#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zemra::cli {

// How the thermometer is reached, as the command line gives it.
struct ConnectionOptions {
  enum class Transport {
    kSettingsFile,  // none given: the data folder's CommsSettings.cfg
    kSerialDevice,  // --serial DEVICE
    kComPort,       // --com N
    kTcp,           // --tcp ADDRESS
  };
  Transport transport = Transport::kSettingsFile;
  std::string device;                     // --serial
  int comPort = 1;                        // --com
  std::string ipAddress;                  // --tcp
  std::optional<std::int32_t> address;    // --address, 0 one-to-one
  std::optional<std::int32_t> baudIndex;  // --baud, or --baud-rate turned into its index
  std::optional<std::string> dataFolder;  // --data-folder
};

// An IPv4 adapter given on the command line for discovery (--adapter ADDRESS/MASK).
struct AdapterOption {
  std::uint32_t address = 0;
  std::uint32_t mask = 0;
};

// A command line taken apart. Everything in it has been checked for form and range; only
// what needs a file or the thermometer is left to the command.
struct Invocation {
  enum class Action { kRun, kHelp, kVersion };
  Action action = Action::kRun;
  std::string command;  // for kRun; for kHelp the command asked about, empty for the overview
  std::vector<std::string> operands;
  ConnectionOptions connection;
  std::vector<AdapterOption> adapters;
  bool json = false;
  bool csv = false;
  bool verify = false;
  std::optional<long> count;  // monitor --count
};

struct ParseResult {
  std::optional<Invocation> invocation;
  std::string error;  // one line naming the problem, when there is no invocation
};

// Parses the arguments after the program name. Options may come before or after the command;
// "--name=value" and "--name value" are the same; "--" ends the options; an argument that is
// a negative number is an operand.
ParseResult ParseCommandLine(const std::vector<std::string>& args);

// Strict number and address forms, shared with the commands' own operands.
std::optional<long> ParseInteger(const std::string& text);
std::optional<double> ParseDecimal(const std::string& text);
std::optional<std::uint32_t> ParseDottedQuad(const std::string& text);
std::optional<AdapterOption> ParseAdapter(const std::string& text);

}  // namespace zemra::cli
