#include <cstdio>
#include <ctime>
#include <string>

#include "cli/Commands.h"
#include "cli/ExitStatus.h"
#include "cli/Output.h"
#include "link/Information.h"

namespace zemra::cli {

namespace {

// The window's poll timer: the next poll starts this long after the previous one ended.
constexpr std::uint32_t kPollPeriodMs = 2000;
// Ten quick polls between two full ones; the first poll of a connection is a full one.
constexpr int kQuickPollsPerCycle = 10;

constexpr std::uint32_t kUnderRangeFlag = 0x10;
constexpr std::uint32_t kOverRangeFlag = 0x20;

struct Reading {
  std::time_t when = 0;
  double temperature = 0.0;
  std::int32_t internalTemperature = 0;
  std::uint32_t flags = 0;
  bool laser = false;
  bool fahrenheit = false;
};

enum class Format { kText, kCsv, kJson };

std::string Hex(std::uint32_t flags) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04x", static_cast<unsigned>(flags));
  return text;
}

void PrintReading(const Reading& r, Format format, std::ostream& out) {
  const bool over = (r.flags & kOverRangeFlag) != 0;
  const bool under = (r.flags & kUnderRangeFlag) != 0;
  const std::string time = LocalTimeStamp(r.when);
  switch (format) {
    case Format::kCsv:
      out << time << ',' << FormatNumber(r.temperature) << ',' << r.internalTemperature << ','
          << Hex(r.flags) << ',' << over << ',' << under << ',' << r.laser << '\n';
      break;
    case Format::kJson:
      out << JsonObject()
                 .Text("time", time)
                 .Number("temperature", r.temperature)
                 .Integer("internalTemperature", r.internalTemperature)
                 .Text("flags", Hex(r.flags))
                 .Bool("overRange", over)
                 .Bool("underRange", under)
                 .Bool("laser", r.laser)
                 .Str()
          << '\n';
      break;
    case Format::kText: {
      const char* unit = r.fahrenheit ? "\u00b0F" : "\u00b0C";
      char line[160];
      std::snprintf(line, sizeof line, "%s  %9.1f %s  internal %4d %s  flags %s%s%s%s",
                    time.c_str(), r.temperature, unit, r.internalTemperature, unit,
                    Hex(r.flags).c_str(), over ? "  over-range" : "", under ? "  under-range" : "",
                    r.laser ? "  laser on" : "");
      out << line << '\n';
      break;
    }
  }
  out.flush();
}

// The live poll of the window, reading for reading and in the same order.
class Poller {
 public:
  explicit Poller(CQRVSerialPort& link) : link_(link) {}

  int Next(Reading& reading) {
    const int result = cycle_ < kQuickPollsPerCycle ? QuickPoll(reading) : FullPoll(reading);
    if (result != kLinkOk) return result;
    // The laser and the second internal reading only feed the window's lamps; their failures
    // are not reported there either.
    bool laser = reading.laser;
    if (link_.ReadLSR(laser) == kLinkOk) reading.laser = laser;
    std::int32_t internal = 0;
    link_.ReadIAC(internal);
    reading.fahrenheit = fahrenheit_;
    return kLinkOk;
  }

 private:
  int QuickPoll(Reading& r) {
    int result = link_.ReadHTP(r.temperature);
    if (result == kLinkOk) result = link_.ReadIAC(r.internalTemperature);
    std::int32_t control = 0;
    if (result == kLinkOk) result = link_.ReadANC(control);
    if (result == kLinkOk) result = link_.ReadFLG(r.flags);
    if (result == kLinkOk) ++cycle_;
    return result;
  }

  int FullPoll(Reading& r) {
    std::string information;
    std::string label;
    std::int32_t timeFunction = 0;
    OutputData output;
    const int result = link_.Poll(information, label, timeFunction, output, r.flags, r.temperature,
                                  r.internalTemperature);
    if (result != kLinkOk) return result;
    fahrenheit_ = ParseInformation(information).fahrenheit != 0;
    cycle_ = 0;
    return kLinkOk;
  }

  CQRVSerialPort& link_;
  int cycle_ = kQuickPollsPerCycle;
  bool fahrenheit_ = false;
};

const char kCsvHeader[] =
    "time,temperature,internal_temperature,flags,over_range,under_range,laser\n";

}  // namespace

int RunMonitor(const Invocation& inv, Session& session, CommandIo& io) {
  if (const int opened = session.Open(io); opened != kExitOk) return opened;
  const Format format = inv.csv ? Format::kCsv : inv.json ? Format::kJson : Format::kText;
  if (format == Format::kCsv) io.out << kCsvHeader << std::flush;
  Poller poller(session.Link());
  Reading reading;
  int worst = kExitOk;
  for (long poll = 0; !inv.count || poll < *inv.count; ++poll) {
    if (poll > 0 && !io.interrupt.Sleep(kPollPeriodMs)) break;
    if (io.interrupt.Requested()) break;
    const int result = poller.Next(reading);
    if (result == -1 || result == -4) return session.Fail(io, result);
    if (result != kLinkOk) {
      // As in the window: a refused reading is reported and the next poll follows as usual.
      worst = session.Fail(io, result);
      continue;
    }
    reading.when = std::time(nullptr);
    PrintReading(reading, format, io.out);
  }
  return worst;
}

}  // namespace zemra::cli
