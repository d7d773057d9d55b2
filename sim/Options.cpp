#include "sim/Options.h"

#include <cstdlib>
#include <functional>
#include <map>
#include <optional>

#include "sim/TcpTransport.h"

namespace zemra::sim {
namespace {

std::optional<long> Integer(const std::string& text, long low, long high) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || value < low || value > high) return std::nullopt;
  return value;
}

// "A" or "A:B" with A an integer; B is handed back as text.
std::optional<std::pair<long, std::string>> Pair(const std::string& text) {
  const auto colon = text.find(':');
  const auto first = Integer(text.substr(0, colon), -100000, 100000);
  if (!first) return std::nullopt;
  return std::make_pair(*first, colon == std::string::npos ? "" : text.substr(colon + 1));
}

struct Parser {
  CommandLine result;
  SimulatorOptions& o = result.options;
  ThermometerConfig& t = result.options.thermometer;
  Faults& f = result.options.faults;

  bool Fail(const std::string& message) {
    if (result.error.empty()) result.error = message;
    return false;
  }
  bool Int(const std::string& name, const std::string& v, long low, long high, auto& out) {
    const auto n = Integer(v, low, high);
    if (!n) {
      return Fail(name + " wants a whole number from " + std::to_string(low) + " to " +
                  std::to_string(high) + ", not \"" + v + "\"");
    }
    out = static_cast<std::remove_reference_t<decltype(out)>>(*n);
    return true;
  }
  bool Rule(ReplyFault fault, const std::string& command) {
    f.rules.push_back(FaultRule{fault, command, "*?"});
    return true;
  }
  bool Range(const std::string& v) {
    const auto pair = Pair(v);
    const auto high = pair ? Integer(pair->second, -100000, 100000) : std::nullopt;
    if (!high || *high <= pair->first) return Fail("--range wants LOW:HIGH with LOW below HIGH");
    t.range = std::make_pair(static_cast<int>(pair->first), static_cast<int>(*high));
    return true;
  }
  bool Split(const std::string& v) {
    const auto pair = Pair(v);
    if (!pair || pair->first < 1 || pair->first > 64)
      return Fail("--split wants N[:GAP_MS], N 1 to 64");
    f.splitSegments = static_cast<int>(pair->first);
    return pair->second.empty() || Int("--split gap", pair->second, 0, 60000, f.splitGapMs);
  }
  bool Delay(const std::string& v) {
    const auto pair = Pair(v);
    if (!pair || pair->first < 0 || pair->first > 600000)
      return Fail("--delay wants MS[:MNEMONIC]");
    f.delayMs = static_cast<int>(pair->first);
    f.delayCommand = pair->second;
    return true;
  }
  bool Kind(const std::string& v) {
    const auto kind = ParseKind(v);
    if (!kind) return Fail("--kind wants single, ratio or neither");
    t.kind = *kind;
    return true;
  }
  bool Address(const std::string& v) {
    if (!IsDottedQuad(v)) return Fail("not a dotted IPv4 address: " + v);
    o.tcpAddresses.push_back(v);
    return true;
  }
};

using Valued = std::function<bool(Parser&, const std::string&)>;
using Flag = std::function<bool(Parser&)>;

const std::map<std::string, Valued>& ValuedOptions() {
  static const std::map<std::string, Valued> table = {
      {"--pty", [](Parser& p, const std::string& v) { return p.o.ptyLink = v, true; }},
      {"--tcp", [](Parser& p, const std::string& v) { return p.Address(v); }},
      {"--port",
       [](Parser& p, const std::string& v) { return p.Int("--port", v, 0, 65535, p.o.tcpPort); }},
      {"--addp",
       [](Parser& p, const std::string& v) { return p.Int("--addp", v, 1, 250, p.o.addpUnits); }},
      {"--addp-port",
       [](Parser& p, const std::string& v) {
         return p.Int("--addp-port", v, 1, 65535, p.o.addpPort);
       }},
      {"--addp-first",
       [](Parser& p, const std::string& v) {
         if (!IsDottedQuad(v)) return p.Fail("--addp-first wants a dotted IPv4 address");
         return p.o.addpFirstAddress = v, true;
       }},
      {"--addp-password",
       [](Parser& p, const std::string& v) { return p.o.addpPassword = v, true; }},
      {"--reboot-ms",
       [](Parser& p, const std::string& v) {
         return p.Int("--reboot-ms", v, 0, 600000, p.o.addpRebootMs);
       }},
      {"--kind", [](Parser& p, const std::string& v) { return p.Kind(v); }},
      {"--address",
       [](Parser& p, const std::string& v) { return p.Int("--address", v, 1, 254, p.t.address); }},
      {"--range", [](Parser& p, const std::string& v) { return p.Range(v); }},
      {"--label", [](Parser& p, const std::string& v) { return p.t.label = v, true; }},
      {"--serial-number",
       [](Parser& p, const std::string& v) {
         return p.Int("--serial-number", v, 0, 2147483647, p.t.serialNumber);
       }},
      {"--laser-fitted",
       [](Parser& p, const std::string& v) {
         return p.Int("--laser-fitted", v, 0, 1, p.t.laserFitted);
       }},
      {"--signal",
       [](Parser& p, const std::string& v) {
         char* end = nullptr;
         const double c = std::strtod(v.c_str(), &end);
         if (v.empty() || *end != '\0') return p.Fail("--signal wants a temperature in Celsius");
         return p.o.signalC = c, true;
       }},
      {"--trace", [](Parser& p, const std::string& v) { return p.o.traceFile = v, true; }},
      {"--error-reply",
       [](Parser& p, const std::string& v) { return p.Rule(ReplyFault::ErrorReply, v); }},
      {"--delay", [](Parser& p, const std::string& v) { return p.Delay(v); }},
      {"--split", [](Parser& p, const std::string& v) { return p.Split(v); }},
      {"--close-after",
       [](Parser& p, const std::string& v) {
         return p.Int("--close-after", v, 1, 1000000, p.f.closeAfterFrames);
       }},
      {"--hangup-after",
       [](Parser& p, const std::string& v) {
         return p.Int("--hangup-after", v, 1, 1000000, p.f.hangUpAfterFrames);
       }},
      {"--hangup-ms",
       [](Parser& p, const std::string& v) {
         return p.Int("--hangup-ms", v, -1, 600000, p.f.hangUpMs);
       }},
  };
  return table;
}

// Options whose value (a command) is optional: alone they mean every frame.
const std::map<std::string, ReplyFault>& CommandFaults() {
  static const std::map<std::string, ReplyFault> table = {
      {"--silent", ReplyFault::Silent},
      {"--garbage", ReplyFault::Garbage},
      {"--no-etx", ReplyFault::NoEtx},
  };
  return table;
}

const std::map<std::string, Flag>& Flags() {
  static const std::map<std::string, Flag> table = {
      {"--help", [](Parser& p) { return p.result.help = true; }},
      {"--fahrenheit", [](Parser& p) { return p.t.fahrenheit = true; }},
      {"--allow-any-address", [](Parser& p) { return p.o.allowAnyAddress = true; }},
      {"--addp-short", [](Parser& p) { return p.f.addpFault = AddpFault::Short, true; }},
      {"--addp-malformed", [](Parser& p) { return p.f.addpFault = AddpFault::Malformed, true; }},
      {"--addp-bad-only", [](Parser& p) { return p.f.addpBadOnly = true; }},
      {"--addp-duplicate-ip", [](Parser& p) { return p.f.addpDuplicateIp = true; }},
  };
  return table;
}

bool ParseOne(Parser& p, const std::vector<std::string>& args, std::size_t& i) {
  std::string name = args[i];
  std::optional<std::string> value;
  if (const auto eq = name.find('='); eq != std::string::npos && name.rfind("--", 0) == 0) {
    value = name.substr(eq + 1);
    name.resize(eq);
  }
  if (name == "-h") name = "--help";
  if (const auto it = Flags().find(name); it != Flags().end()) {
    return value ? p.Fail(name + " takes no value") : it->second(p);
  }
  if (const auto it = CommandFaults().find(name); it != CommandFaults().end()) {
    return p.Rule(it->second, value.value_or(""));
  }
  const auto it = ValuedOptions().find(name);
  if (it == ValuedOptions().end()) return p.Fail("unknown option " + args[i]);
  if (!value) {
    if (i + 1 >= args.size()) return p.Fail(name + " wants a value");
    value = args[++i];
  }
  return it->second(p, *value);
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  Parser p;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (!ParseOne(p, args, i)) break;
  }
  if (p.result.error.empty() && !p.result.help && !p.o.ptyLink && p.o.tcpAddresses.empty() &&
      p.o.addpUnits == 0) {
    p.Fail("nothing to serve: give --pty, --tcp or --addp");
  }
  return p.result;
}

}  // namespace zemra::sim
