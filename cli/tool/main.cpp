#include <iostream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "cli/Interrupt.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(true);
  const std::vector<std::string> args(argv + 1, argv + argc);
  zemra::cli::SignalInterrupt interrupt;
  zemra::cli::CommandIo io{std::cout, std::cerr, interrupt};
  const int status = zemra::cli::RunCli(args, io);
  std::cout.flush();
  return status;
}
