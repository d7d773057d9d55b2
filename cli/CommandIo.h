#pragma once

#include <ostream>
#include <string_view>

#include "cli/Interrupt.h"

namespace zemra::cli {

// Where a command writes: data to `out`, messages to `err`.
struct CommandIo {
  std::ostream& out;
  std::ostream& err;
  Interrupt& interrupt;
};

// Writes the message to standard error, every line after "zemractl: ", and returns `exit`.
int Report(CommandIo& io, int exit, std::string_view message);

}  // namespace zemra::cli
