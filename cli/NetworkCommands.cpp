#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "cli/Output.h"
#include "net/UnitDiscovery.h"

namespace zemra::cli {

namespace {

// The adapters named on the command line, or the system's own.
AdapterProvider AdaptersFor(const Invocation& inv) {
  if (inv.adapters.empty()) return SystemAdapters;
  std::vector<Adapter> adapters;
  for (const AdapterOption& given : inv.adapters) {
    adapters.push_back({"--adapter", given.address, given.mask});
  }
  return [adapters] { return adapters; };
}

std::string_view Addressing(const UnitInfo& unit) {
  return unit.isStatic ? "Static" : "DHCP";
}

// Opens the search socket and searches; false after reporting a socket that cannot be had.
bool Search(CUnitDiscovery& discovery, CommandIo& io, int& exit) {
  if (discovery.InitSocket() != 0) {
    exit = Report(io, kExitNoThermometer,
                  "The search socket could not be opened on UDP port " +
                      std::to_string(addp::kLocalPort) + " (is another search running?).");
    return false;
  }
  discovery.Discover();
  return true;
}

void PrintUnits(const std::vector<UnitInfo>& units, bool json, std::ostream& out) {
  if (json) {
    out << '[';
    for (std::size_t i = 0; i < units.size(); ++i) {
      const UnitInfo& u = units[i];
      out << (i > 0 ? ",\n " : "")
          << JsonObject()
                 .Text("ip", u.ipAddress)
                 .Text("mac", u.macAddress)
                 .Text("mask", u.subnetMask)
                 .Text("gateway", u.gateway)
                 .Text("addressing", Addressing(u))
                 .Str();
    }
    out << "]\n";
    return;
  }
  for (const UnitInfo& u : units) {
    out << u.ipAddress << '\t' << u.macAddress << '\t' << u.subnetMask << '\t' << u.gateway << '\t'
        << Addressing(u) << '\n';
  }
}

}  // namespace

int RunDiscover(const Invocation& inv, CommandIo& io) {
  CUnitDiscovery discovery(AdaptersFor(inv), SystemUdp(), SystemClock());
  int exit = kExitOk;
  if (!Search(discovery, io, exit)) return exit;
  PrintUnits(discovery.Units(), inv.json, io.out);
  return kExitOk;
}

int RunSetIp(const Invocation& inv, CommandIo& io) {
  const std::vector<std::string>& args = inv.operands;
  if (!addp::ParseMac(args[0])) {
    return Report(io, kExitUsage,
                  "\"" + args[0] +
                      "\" is not a MAC address such as "
                      "00:0A:B0:01:02:03");
  }
  const char* names[] = {"IP", "MASK", "GATEWAY"};
  for (int i = 1; i <= 3; ++i) {
    if (!addp::ParseDottedQuad(args[i])) {
      return Report(io, kExitUsage,
                    std::string(names[i - 1]) + " \"" + args[i] +
                        "\" is not a dotted quad such as 192.168.1.40");
    }
  }
  CUnitDiscovery discovery(AdaptersFor(inv), SystemUdp(), SystemClock());
  int exit = kExitOk;
  if (!Search(discovery, io, exit)) return exit;
  const UnitInfo* found = discovery.FindUnit(args[0]);
  if (found == nullptr) {
    return Report(io, kExitNoThermometer,
                  "No unit with MAC address " + args[0] + " answered the search.");
  }
  UnitInfo wanted = *found;
  wanted.ipAddress = args[1];
  wanted.subnetMask = args[2];
  wanted.gateway = args[3];
  switch (discovery.SetIpSettings(wanted)) {
    case kUnitRequestsSent:
      io.out << found->macAddress << ": new settings sent to " << found->ipAddress
             << "; the unit restarts with address " << wanted.ipAddress << '\n';
      return kExitOk;
    case kUnitNotFound:
      return Report(io, kExitNoThermometer,
                    "No unit with MAC address " + args[0] + " answered the search.");
    case kUnitSettingsInvalid:
      return Report(io, kExitUsage, "The new settings are not well formed.");
    default:
      return Report(io, kExitNoThermometer,
                    "Sending the new settings to " + found->ipAddress + " failed.");
  }
}

}  // namespace zemra::cli
