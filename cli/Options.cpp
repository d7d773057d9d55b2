#include "cli/Options.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "cli/CommandTable.h"

namespace zemra::cli {

namespace {

constexpr std::array<std::int32_t, 5> kBaudRates = {9600, 19200, 38400, 57600, 115200};

enum class Scope { kConnection, kAdapter, kCommand, kMeta };

struct OptionSpec {
  std::string_view name;
  bool takesValue;
  Scope scope;
  unsigned commandOption;  // for kCommand: the CommandOption bit
};

constexpr OptionSpec kOptions[] = {
    {"serial", true, Scope::kConnection, 0},
    {"com", true, Scope::kConnection, 0},
    {"tcp", true, Scope::kConnection, 0},
    {"address", true, Scope::kConnection, 0},
    {"baud", true, Scope::kConnection, 0},
    {"baud-rate", true, Scope::kConnection, 0},
    {"data-folder", true, Scope::kConnection, 0},
    {"adapter", true, Scope::kAdapter, 0},
    {"json", false, Scope::kCommand, kOptionJson},
    {"csv", false, Scope::kCommand, kOptionCsv},
    {"count", true, Scope::kCommand, kOptionCount},
    {"verify", false, Scope::kCommand, kOptionVerify},
    {"help", false, Scope::kMeta, 0},
    {"version", false, Scope::kMeta, 0},
};

const OptionSpec* FindOption(std::string_view name) {
  for (const OptionSpec& command : kOptions) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

struct GivenOption {
  const OptionSpec* command;
  std::string value;
};

// The arguments sorted into options and operands, before any meaning is given to them.
struct Tokens {
  std::vector<GivenOption> options;
  std::vector<std::string> operands;
  std::string error;
};

bool LooksLikeNegativeNumber(std::string_view arg) {
  return arg.size() > 1 && arg[0] == '-' &&
         (std::isdigit(static_cast<unsigned char>(arg[1])) || arg[1] == '.');
}

Tokens Tokenize(const std::vector<std::string>& args) {
  Tokens tokens;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      tokens.operands.insert(tokens.operands.end(), args.begin() + i + 1, args.end());
      break;
    }
    if (arg == "-h") {
      tokens.options.push_back({FindOption("help"), {}});
      continue;
    }
    if (arg.size() < 2 || arg[0] != '-' || LooksLikeNegativeNumber(arg)) {
      tokens.operands.push_back(arg);
      continue;
    }
    if (arg[1] != '-') {
      tokens.error = "unknown option " + arg;
      return tokens;
    }
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(2, equals == std::string::npos ? equals : equals - 2);
    const OptionSpec* command = FindOption(name);
    if (command == nullptr) {
      tokens.error = "unknown option --" + name;
      return tokens;
    }
    if (!command->takesValue && equals != std::string::npos) {
      tokens.error = "option --" + name + " takes no value";
      return tokens;
    }
    GivenOption given{command, {}};
    if (command->takesValue) {
      if (equals != std::string::npos) {
        given.value = arg.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        given.value = args[++i];
      } else {
        tokens.error = "option --" + name + " needs a value";
        return tokens;
      }
    }
    tokens.options.push_back(std::move(given));
  }
  return tokens;
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

// Checks an option against the command it is given to.
std::string OptionNotFor(const OptionSpec& option, const CommandSpec& command) {
  bool allowed = false;
  switch (option.scope) {
    case Scope::kConnection:
      allowed = command.target == CommandTarget::kThermometer;
      break;
    case Scope::kAdapter:
      allowed = command.target == CommandTarget::kNetwork;
      break;
    case Scope::kCommand:
      allowed = (command.options & option.commandOption) != 0;
      break;
    case Scope::kMeta:
      allowed = true;
      break;
  }
  if (allowed) return {};
  return "option --" + std::string(option.name) + " does not apply to " + std::string(command.name);
}

std::string RangeError(std::string_view option, const std::string& value, std::string_view range) {
  return "--" + std::string(option) + " must be " + std::string(range) + ", not " + Quoted(value);
}

std::string ApplyTransport(ConnectionOptions& c, ConnectionOptions::Transport transport) {
  using T = ConnectionOptions::Transport;
  if (c.transport != T::kSettingsFile && c.transport != transport) {
    return "give only one of --serial, --com and --tcp";
  }
  c.transport = transport;
  return {};
}

std::string ApplyConnectionOption(ConnectionOptions& c, std::string_view name,
                                  const std::string& value, bool& baudGivenTwice) {
  using T = ConnectionOptions::Transport;
  if (name == "serial") {
    if (value.empty()) return "--serial needs a device path";
    c.device = value;
    return ApplyTransport(c, T::kSerialDevice);
  }
  if (name == "com") {
    const auto n = ParseInteger(value);
    if (!n || *n < 1 || *n > 8) return RangeError(name, value, "a port number from 1 to 8");
    c.comPort = static_cast<int>(*n);
    return ApplyTransport(c, T::kComPort);
  }
  if (name == "tcp") {
    if (!ParseDottedQuad(value)) return RangeError(name, value, "an IPv4 address such as 10.0.0.5");
    c.ipAddress = value;
    return ApplyTransport(c, T::kTcp);
  }
  if (name == "address") {
    const auto n = ParseInteger(value);
    if (!n || *n < 0 || *n > 254) return RangeError(name, value, "a unit address from 0 to 254");
    c.address = static_cast<std::int32_t>(*n);
    return {};
  }
  if (name == "baud" || name == "baud-rate") {
    baudGivenTwice = baudGivenTwice || c.baudIndex.has_value();
    const auto n = ParseInteger(value);
    if (name == "baud") {
      if (!n || *n < 0 || *n > 4) return RangeError(name, value, "an index from 0 to 4");
      c.baudIndex = static_cast<std::int32_t>(*n);
      return {};
    }
    const auto* rate = n ? std::find(kBaudRates.begin(), kBaudRates.end(), *n) : kBaudRates.end();
    if (rate == kBaudRates.end()) {
      return RangeError(name, value, "one of 9600, 19200, 38400, 57600 and 115200");
    }
    c.baudIndex = static_cast<std::int32_t>(rate - kBaudRates.begin());
    return {};
  }
  if (value.empty()) return "--data-folder needs a folder";
  c.dataFolder = value;
  return {};
}

std::string ApplyOption(Invocation& inv, const GivenOption& given, bool& baudGivenTwice) {
  const std::string_view name = given.command->name;
  switch (given.command->scope) {
    case Scope::kConnection:
      return ApplyConnectionOption(inv.connection, name, given.value, baudGivenTwice);
    case Scope::kAdapter: {
      const auto adapter = ParseAdapter(given.value);
      if (!adapter)
        return RangeError(name, given.value, "ADDRESS/MASK such as 127.0.0.1/255.0.0.0");
      inv.adapters.push_back(*adapter);
      return {};
    }
    case Scope::kCommand:
      if (name == "json") inv.json = true;
      if (name == "csv") inv.csv = true;
      if (name == "verify") inv.verify = true;
      if (name == "count") {
        const auto n = ParseInteger(given.value);
        if (!n || *n < 1) return RangeError(name, given.value, "a positive number of polls");
        inv.count = *n;
      }
      return {};
    case Scope::kMeta:
      return {};
  }
  return {};
}

std::string CheckOperands(const CommandSpec& command, std::size_t given) {
  if (given >= command.minOperands && given <= command.maxOperands) return {};
  const std::string name(command.name);
  if (command.maxOperands == 0) return name + " takes no arguments";
  if (given < command.minOperands) return name + " needs " + std::string(command.operands);
  return "too many arguments for " + name + " (it takes " + std::string(command.operands) + ")";
}

std::string CheckCombination(const Invocation& inv, bool baudGivenTwice) {
  const ConnectionOptions& c = inv.connection;
  if (inv.csv && inv.json) return "give only one of --csv and --json";
  if (baudGivenTwice) return "give only one of --baud and --baud-rate";
  if (c.transport == ConnectionOptions::Transport::kTcp && c.baudIndex) {
    return "--baud and --baud-rate apply to a serial connection, not to --tcp";
  }
  return {};
}

// Gives every option its meaning for the command; the first problem found, if any.
std::string ApplyOptions(Invocation& inv, const CommandSpec& command,
                         const std::vector<GivenOption>& options) {
  bool baudGivenTwice = false;
  for (const GivenOption& given : options) {
    if (std::string error = OptionNotFor(*given.command, command); !error.empty()) return error;
    if (std::string error = ApplyOption(inv, given, baudGivenTwice); !error.empty()) return error;
  }
  return CheckCombination(inv, baudGivenTwice);
}

ParseResult Failure(std::string error) {
  return {std::nullopt, std::move(error)};
}

bool Given(const Tokens& tokens, std::string_view name) {
  return std::any_of(tokens.options.begin(), tokens.options.end(),
                     [name](const GivenOption& o) { return o.command->name == name; });
}

}  // namespace

ParseResult ParseCommandLine(const std::vector<std::string>& args) {
  Tokens tokens = Tokenize(args);
  if (!tokens.error.empty()) return Failure(tokens.error);
  Invocation inv;
  std::vector<std::string>& operands = tokens.operands;
  if (!operands.empty()) {
    inv.command = operands.front();
    inv.operands.assign(operands.begin() + 1, operands.end());
  }
  if (inv.command == "help") {
    if (inv.operands.size() > 1) return Failure("help takes at most one COMMAND");
    inv.command = inv.operands.empty() ? std::string() : inv.operands.front();
    inv.operands.clear();
    inv.action = Invocation::Action::kHelp;
  } else if (Given(tokens, "help")) {
    inv.action = Invocation::Action::kHelp;
    inv.operands.clear();
  } else if (Given(tokens, "version")) {
    inv.action = Invocation::Action::kVersion;
    return {inv, {}};
  }
  if (inv.command.empty()) {
    if (inv.action == Invocation::Action::kHelp) return {inv, {}};
    return Failure("no command given");
  }
  const CommandSpec* command = FindCommand(inv.command);
  if (command == nullptr) return Failure("unknown command " + Quoted(inv.command));
  if (inv.action == Invocation::Action::kHelp) return {inv, {}};

  if (std::string error = CheckOperands(*command, inv.operands.size()); !error.empty()) {
    return Failure(error);
  }
  if (std::string error = ApplyOptions(inv, *command, tokens.options); !error.empty()) {
    return Failure(error);
  }
  return {inv, {}};
}

std::optional<long> ParseInteger(const std::string& text) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || end != text.c_str() + text.size()) return std::nullopt;
  return value;
}

std::optional<double> ParseDecimal(const std::string& text) {
  if (text.empty() || std::isspace(static_cast<unsigned char>(text[0]))) return std::nullopt;
  // Only plain decimal notation: no hexadecimal floats, infinities or NaNs.
  if (text.find_first_not_of("0123456789.+-eE") != std::string::npos) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<std::uint32_t> ParseDottedQuad(const std::string& text) {
  std::uint32_t address = 0;
  std::size_t pos = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (pos >= text.size() || text[pos] != '.') return std::nullopt;
      ++pos;
    }
    std::size_t digits = 0;
    unsigned value = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])) && digits < 3) {
      value = value * 10 + static_cast<unsigned>(text[pos] - '0');
      ++pos;
      ++digits;
    }
    if (digits == 0 || value > 255) return std::nullopt;
    address = (address << 8) | value;
  }
  if (pos != text.size()) return std::nullopt;
  return address;
}

std::optional<AdapterOption> ParseAdapter(const std::string& text) {
  const std::size_t slash = text.find('/');
  if (slash == std::string::npos) return std::nullopt;
  const auto address = ParseDottedQuad(text.substr(0, slash));
  const auto mask = ParseDottedQuad(text.substr(slash + 1));
  if (!address || !mask) return std::nullopt;
  return AdapterOption{*address, *mask};
}

}  // namespace zemra::cli
