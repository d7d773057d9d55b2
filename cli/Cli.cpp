#include "cli/Cli.h"

#include "cli/CommandTable.h"
#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "cli/Help.h"
#include "cli/Options.h"
#include "cli/Session.h"

namespace zemra::cli {

namespace {

using ThermometerCommand = int (*)(const Invocation&, Session&, CommandIo&);

ThermometerCommand ThermometerCommandFor(const std::string& name) {
  struct Entry {
    std::string_view name;
    ThermometerCommand run;
  };
  static constexpr Entry kEntries[] = {
      {"identify", RunIdentify},
      {"read-config", RunReadConfig},
      {"write-config", RunWriteConfig},
      {"diff", RunDiff},
      {"monitor", RunMonitor},
      {"get", RunGet},
      {"set", RunSet},
      {"store", RunStore},
  };
  for (const Entry& entry : kEntries) {
    if (entry.name == name) return entry.run;
  }
  return nullptr;
}

int ShowHelp(const Invocation& inv, CommandIo& io) {
  const CommandSpec* command = inv.command.empty() ? nullptr : FindCommand(inv.command);
  io.out << (command ? CommandHelp(*command) : OverviewHelp());
  io.out.flush();
  return kExitOk;
}

int RunThermometerCommand(const Invocation& inv, ThermometerCommand run, CommandIo& io) {
  const PlanResult planned = PlanConnection(inv.connection);
  if (!planned.plan) return Report(io, planned.exit, planned.message);
  Session session(*planned.plan);
  return run(inv, session, io);
}

}  // namespace

int RunCli(const std::vector<std::string>& args, CommandIo& io) {
  const ParseResult parsed = ParseCommandLine(args);
  if (!parsed.invocation) {
    // The command the user meant, if the line names one, for a pointed hint.
    std::string command;
    for (const std::string& arg : args) {
      if (FindCommand(arg) != nullptr) {
        command = arg;
        break;
      }
    }
    return Report(io, kExitUsage, parsed.error + "\n" + UsageHint(command));
  }
  const Invocation& inv = *parsed.invocation;
  switch (inv.action) {
    case Invocation::Action::kHelp:
      return ShowHelp(inv, io);
    case Invocation::Action::kVersion:
      io.out << VersionText() << std::flush;
      return kExitOk;
    case Invocation::Action::kRun:
      break;
  }
  if (inv.command == "discover") return RunDiscover(inv, io);
  if (inv.command == "set-ip") return RunSetIp(inv, io);
  const ThermometerCommand run = ThermometerCommandFor(inv.command);
  if (run == nullptr) return Report(io, kExitUsage, "unknown command \"" + inv.command + "\"");
  return RunThermometerCommand(inv, run, io);
}

}  // namespace zemra::cli
