#include "cli/Help.h"

#include <algorithm>

#ifndef ZEMRA_VERSION
#define ZEMRA_VERSION "unknown"
#endif

namespace zemra::cli {

namespace {

constexpr std::string_view kIntro = R"(Usage: zemractl [CONNECTION] COMMAND [ARGS...]

Configures and watches one ZEMRA infrared thermometer from the command line, over
an RS-485 serial line or over Ethernet, with the same ".zcf" files as the
ZEMRAnet window. Data goes to standard output, messages to standard error.
)";

constexpr std::string_view kConnection = R"(
Connection (one of):
  --serial DEVICE      the serial device the RS-485 line is on, e.g. /dev/ttyUSB0
  --com N              serial port COM1 to COM8, numbered as the window numbers
                       them: USB adapters first, then ACM devices, then UARTs
  --tcp ADDRESS        the thermometer's Ethernet interface, TCP port 2101
  (none)               the settings the window uses: CommsSettings.cfg in the
                       data folder
With any of them:
  --address A          unit address on the bus, 0 to 254; 0 (the default) for a
                       one-to-one line
  --baud INDEX         serial speed index 0 to 4: 9600, 19200, 38400, 57600
                       (3, the default) or 115200 baud
  --baud-rate RATE     the same given as a speed, e.g. --baud-rate 19200
  --data-folder DIR    where CommsSettings.cfg lies (default: the program's
                       data folder)
Opening a serial line probes the unit, confirms the baud rate and stores to
memory, as the window does; this takes about 1.3 seconds.
)";

constexpr std::string_view kTrailer = R"(
Options:
  -h, --help           show this help, or with a command that command's help
  --version            show the version

Exit status:
  0   success
  1   no thermometer answered or the connection was lost; for diff and
      write-config --verify also: the thermometer differs from the file
  2   the thermometer refused a command
  3   a value is out of range
  4   a file could not be read or written, or is not in the expected format
  64  the command line is wrong

Every serial transfer is appended to ZEMRAnet.log in the working directory.
)";

std::string Synopsis(const CommandSpec& command) {
  std::string line = "zemractl ";
  if (command.target == CommandTarget::kThermometer) line += "[CONNECTION] ";
  line += command.name;
  if (!command.operands.empty()) line.append(" ").append(command.operands);
  if (command.options & kOptionCount) line += " [--count N]";
  if (command.options & kOptionCsv) {
    line += " [--csv | --json]";
  } else if (command.options & kOptionJson) {
    line += " [--json]";
  }
  if (command.options & kOptionVerify) line += " [--verify]";
  if (command.target == CommandTarget::kNetwork) line += " [--adapter ADDRESS/MASK]...";
  return line;
}

}  // namespace

std::string OverviewHelp() {
  std::string text(kIntro);
  text += kConnection;
  text += "\nCommands:\n";
  for (const CommandSpec& command : Commands()) {
    std::string left = "  " + std::string(command.name);
    if (!command.operands.empty()) left.append(" ").append(command.operands);
    left.resize(std::max<std::size_t>(left.size() + 1, 30), ' ');
    text += left;
    text.append(command.summary).append("\n");
  }
  text += "Run \"zemractl COMMAND --help\" for a command's own options.\n";
  text += kTrailer;
  return text;
}

std::string CommandHelp(const CommandSpec& command) {
  std::string text = "Usage: " + Synopsis(command) + "\n\n";
  text += command.details;
  if (command.target == CommandTarget::kThermometer) {
    text +=
        "\nCONNECTION is --serial DEVICE, --com N or --tcp ADDRESS, with --address A and\n"
        "--baud INDEX; none uses the window's CommsSettings.cfg. See \"zemractl --help\".\n";
  }
  return text;
}

std::string VersionText() {
  return std::string("zemractl ") + ZEMRA_VERSION + "\n";
}

std::string UsageHint(const std::string& command) {
  if (command.empty()) return "Try \"zemractl --help\".";
  return "Try \"zemractl " + command + " --help\".";
}

}  // namespace zemra::cli
