#include "cli/CommandIo.h"

namespace zemra::cli {

int Report(CommandIo& io, int exit, std::string_view message) {
  std::size_t start = 0;
  do {
    const std::size_t end = message.find('\n', start);
    const std::string_view line = message.substr(start, end - start);
    // A system text may end in a line break of its own; no empty line follows from it.
    if (!line.empty() || start == 0) io.err << "zemractl: " << line << '\n';
    start = end == std::string_view::npos ? end : end + 1;
  } while (start != std::string_view::npos && start < message.size());
  io.err.flush();
  return exit;
}

}  // namespace zemra::cli
