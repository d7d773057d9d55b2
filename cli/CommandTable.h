#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace zemra::cli {

// The options a command takes besides the connection.
enum CommandOption : unsigned {
  kOptionNone = 0,
  kOptionJson = 1u << 0,
  kOptionCsv = 1u << 1,
  kOptionCount = 1u << 2,
  kOptionVerify = 1u << 3,
};

// What reaches the unit the command talks to.
enum class CommandTarget {
  kNone,         // help
  kThermometer,  // the connection options
  kNetwork,      // discovery over the adapters (--adapter)
};

struct CommandSpec {
  std::string_view name;
  std::string_view operands;  // as the synopsis shows them, e.g. "[FILE]"
  std::string_view summary;   // one line for the overview
  std::size_t minOperands;
  std::size_t maxOperands;
  unsigned options;
  CommandTarget target;
  std::string_view details;  // the body of "zemractl COMMAND --help"
};

std::span<const CommandSpec> Commands();
const CommandSpec* FindCommand(std::string_view name);

}  // namespace zemra::cli
